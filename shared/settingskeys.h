#pragma once
// Every section and key name of the settings file, spelled once: the editor and the controller
// write with these names and the runner reads with them, so a misspelling cannot hide on one
// side. Names compare case-insensitively in the file; these are the spellings we write.
#include <QString>

namespace corvane {

// The schedule entries: slot n of category c is the key "c-n" (entryKey) in each of these.
inline constexpr char16_t kTimeSection[] = u"時刻";
inline constexpr char16_t kTextSection[] = u"内容";
inline constexpr char16_t kDateSection[] = u"指定日";

// The derived day lists: the runner writes them at start-up, the controller's viewer reads them.
// Each is a section with 時刻n and 内容n from n = 0 up to the first empty time.
inline constexpr char16_t kTodayListSection[] = u"本日の予定";
inline constexpr char16_t kTomorrowListSection[] = u"翌日の予定";
inline QString dayListTimeKey(qsizetype n) { return QStringLiteral("時刻") + QString::number(n); }
inline QString dayListTextKey(qsizetype n) { return QStringLiteral("内容") + QString::number(n); }

// How long a reminder stays up, in seconds.
inline constexpr char16_t kDisplaySection[] = u"表示";
inline constexpr char16_t kDisplaySecondsKey[] = u"時間";

// How many minutes before its time a reminder comes up, and how late a reminder missed while
// the computer slept (or the clock leapt forward) may still be shown.
inline constexpr char16_t kAdvanceSection[] = u"事前表示";
inline constexpr char16_t kAdvanceKey[] = u"時間";
inline constexpr char16_t kLateLimitKey[] = u"遅延上限";
// Minutes, when the key is absent; 0 shows no reminder late.
inline constexpr int kDefaultLateLimitMinutes = 60;

// Holidays: 登録日1, 登録日2 … (from 1) up to the first empty value.
inline constexpr char16_t kHolidaySection[] = u"祝日";
inline QString holidayKey(qsizetype n) { return QStringLiteral("登録日") + QString::number(n); }

// The ten abbreviation slots: 略称k with its full text 内容k.
inline constexpr char16_t kAbbreviationSection[] = u"略称登録";
inline QString abbreviationKey(int slot) { return QStringLiteral("略称") + QString::number(slot); }
inline QString abbreviationTextKey(int slot) { return QStringLiteral("内容") + QString::number(slot); }

// The economic-indicator import: the switch ("1" on), the calendar address and the date of the
// last successful import.
inline constexpr char16_t kEconomicSection[] = u"経済指標";
inline constexpr char16_t kEconomicFetchKey[] = u"取得";
inline constexpr char16_t kEconomicUrlKey[] = u"URL";
inline constexpr char16_t kEconomicBuiltOnKey[] = u"作成日";

// Hours by which local time is ahead of each zone.
inline constexpr char16_t kTimeDifferenceSection[] = u"時差";
inline constexpr char16_t kEtKey[] = u"ET";
inline constexpr char16_t kCetKey[] = u"CET";
inline constexpr char16_t kGmtKey[] = u"GMT";

// The reminder window's look: back colour, outer position and size in twips, font, text colour.
inline constexpr char16_t kDisplayFormSection[] = u"表示フォーム";
inline constexpr char16_t kColourKey[] = u"色";
inline constexpr char16_t kTopKey[] = u"TOP";
inline constexpr char16_t kLeftKey[] = u"LEFT";
inline constexpr char16_t kHeightKey[] = u"HEIGHT";
inline constexpr char16_t kWidthKey[] = u"WIDTH";
inline constexpr char16_t kFontNameKey[] = u"FNAME";
inline constexpr char16_t kFontSizeKey[] = u"FSIZE";
inline constexpr char16_t kBoldKey[] = u"FBOLD";
inline constexpr char16_t kItalicKey[] = u"FITAL";
inline constexpr char16_t kUnderlineKey[] = u"FUNDE";
inline constexpr char16_t kStrikeoutKey[] = u"FSTRI";
inline constexpr char16_t kTextColourKey[] = u"FCOLO";
// In the order the editor reads and writes them.
inline constexpr const char16_t* kDisplayFormKeys[] = {kColourKey, kTopKey,       kLeftKey,      kHeightKey,
                                                       kWidthKey,  kFontNameKey,  kFontSizeKey,  kBoldKey,
                                                       kItalicKey, kUnderlineKey, kStrikeoutKey, kTextColourKey};

// The announcement's sound: a WAVE file played a number of times, or a speech program.
inline constexpr char16_t kSoundSection[] = u"サウンド";
inline constexpr char16_t kWaveOnKey[] = u"音";
inline constexpr char16_t kWavePathKey[] = u"音パス";
inline constexpr char16_t kWaveRepeatKey[] = u"音回数";
inline constexpr char16_t kSpeechOnKey[] = u"音声";
inline constexpr char16_t kSpeechTextKey[] = u"音声TXT";
inline constexpr int kSpeechCommandCount = 3;
// 音声SH0 … 音声SH2.
inline QString speechCommandKey(int line) { return QStringLiteral("音声SH") + QString::number(line); }

// QString of a name above, for the profile functions.
inline QString keyName(const char16_t* name) { return QString::fromUtf16(name); }

} // namespace corvane
