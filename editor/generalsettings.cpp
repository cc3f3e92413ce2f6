#include "generalsettings.h"

#include <QUrl>
#include <algorithm>

#include "abbreviations.h"
#include "clock.h"
#include "log.h"
#include "profile.h"
#include "settingskeys.h"
#include "valueforms.h"

namespace corvane::editor {

namespace {

const QString kEconomic = keyName(kEconomicSection);
const QString kDifference = keyName(kTimeDifferenceSection);
const QString kHolidays = keyName(kHolidaySection);
const QString kAbbreviations = keyName(kAbbreviationSection);
const QString kDisplayForm = keyName(kDisplayFormSection);
const QString kSound = keyName(kSoundSection);
const QString kDisplay = keyName(kDisplaySection);
const QString kDisplaySeconds = keyName(kDisplaySecondsKey);
const QString kAdvance = keyName(kAdvanceSection);
const QString kAdvanceTime = keyName(kAdvanceKey);
const QString kLateLimit = keyName(kLateLimitKey);
const QString kDefaultLateLimit = QString::number(kDefaultLateLimitMinutes);

bool isTodayOrLater(const QString& text)
{
    const auto date = parseDate(text);
    return date && *date >= Clock::today();
}

// The box's number rounded into 16 bits; the fallback for an empty (or, from a hand-edited
// file, unreadable) box.
QString wholeOr(const QString& text, const QString& fallback)
{
    if (text.isEmpty())
        return fallback;
    const auto value = parseWhole16(text);
    return value ? QString::number(*value) : fallback;
}

} // namespace

const QStringList& displayKeys()
{
    static const QStringList keys = [] {
        QStringList names;
        for (const char16_t* key : kDisplayFormKeys)
            names << keyName(key);
        return names;
    }();
    return keys;
}

const QStringList& soundKeys()
{
    static const QStringList keys = [] {
        QStringList names;
        for (const char16_t* key : {kWaveOnKey, kWavePathKey, kWaveRepeatKey, kSpeechOnKey, kSpeechTextKey})
            names << keyName(key);
        for (int line = 0; line < kSpeechCommandCount; ++line)
            names << speechCommandKey(line);
        return names;
    }();
    return keys;
}

void LoadGeneralSettings(const QString& path, GeneralSettings& settings)
{
    const ProfileTransaction tx(path);
    settings.economic = isFlagOn(readCut(tx, kEconomic, keyName(kEconomicFetchKey)));
    const QString seconds = readCut(tx, kDisplay, kDisplaySeconds);
    settings.displaySeconds = seconds.isEmpty() ? QStringLiteral("10") : seconds;
    const QString advance = readCut(tx, kAdvance, kAdvanceTime);
    settings.advanceMinutes = advance.isEmpty() ? QStringLiteral("0") : advance;
    const QString lateLimit = readCut(tx, kAdvance, kLateLimit);
    settings.lateLimitMinutes = lateLimit.isEmpty() ? kDefaultLateLimit : lateLimit;
    settings.et = readCut(tx, kDifference, keyName(kEtKey));
    settings.cet = readCut(tx, kDifference, keyName(kCetKey));
    settings.gmt = readCut(tx, kDifference, keyName(kGmtKey));
    settings.calendarUrl = readCut(tx, kEconomic, keyName(kEconomicUrlKey));
    settings.loadedCalendarUrl = settings.calendarUrl;

    // Read whole: a long list must not lose its tail at the next save.
    QList<QDate> dates;
    settings.HolidayDates.clear();
    for (const ProfileLine& line : tx.readSection(kHolidays)) {
        const QString& value = line.value;
        if (value.isEmpty() || !isTodayOrLater(value))
            continue;
        settings.HolidayDates.append(value);
    }
    std::stable_sort(settings.HolidayDates.begin(), settings.HolidayDates.end(),
                     [](const QString& a, const QString& b) { return *parseDate(a) < *parseDate(b); });

    for (int i = 0; i < kAbbreviationCount; ++i) {
        settings.abbreviations[i] = readCut(tx, kAbbreviations, abbreviationKey(i));
        settings.loadedAbbreviations[i] = settings.abbreviations[i];
        settings.abbreviationTexts[i] = readCut(tx, kAbbreviations, abbreviationTextKey(i));
        settings.loadedAbbreviationTexts[i] = settings.abbreviationTexts[i];
    }
    for (const QString& key : displayKeys()) {
        if (const QString value = readCut(tx, kDisplayForm, key); !value.isEmpty())
            settings.display[key] = value;
    }
    for (const QString& key : soundKeys()) {
        if (const QString value = readCut(tx, kSound, key); !value.isEmpty())
            settings.sound[key] = value;
    }
}

namespace {
bool commitOrMessage(ProfileTransaction& tx, QString* error)
{
    QString reason;
    if (!tx.commit(&reason)) {
        logLine(QStringLiteral("全般の設定を保存できませんでした: ") + reason);
        if (error)
            *error = QStringLiteral("設定ファイルに書き込めませんでした\n") + reason;
        return false;
    }
    return true;
}

// The time differences and the calendar address, as the import reads them.
void writeEconomicGroup(ProfileTransaction& tx, const GeneralSettings& settings)
{
    tx.writeString(kDifference, keyName(kEtKey), settings.et);
    tx.writeString(kDifference, keyName(kCetKey), settings.cet);
    tx.writeString(kDifference, keyName(kGmtKey), settings.gmt);
    if (settings.calendarUrl != settings.loadedCalendarUrl)
        tx.writeString(kEconomic, keyName(kEconomicUrlKey), settings.calendarUrl);
}
} // namespace

bool SaveEconomicSettings(const QString& path, GeneralSettings& settings, QString* error)
{
    if (QString why = checkStorable(settings.calendarUrl + settings.et + settings.cet + settings.gmt); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }
    ProfileTransaction tx(path);
    writeEconomicGroup(tx, settings);
    if (!commitOrMessage(tx, error))
        return false;
    settings.loadedCalendarUrl = settings.calendarUrl;
    return true;
}

bool SaveGeneralSettings(const QString& path, const GeneralSettings& settings, QString* error)
{
    // Text the file cannot hold is named to the user before anything is written.
    QStringList typed{settings.calendarUrl, settings.et, settings.cet, settings.gmt};
    typed << settings.HolidayDates << settings.display.values() << settings.sound.values();
    for (int i = 0; i < kAbbreviationCount; ++i)
        typed << settings.abbreviations[i] << settings.abbreviationTexts[i];
    if (QString why = checkStorable(typed.join(QString())); !why.isEmpty()) {
        if (error)
            *error = why;
        return false;
    }

    ProfileTransaction tx(path);
    tx.writeString(kEconomic, keyName(kEconomicFetchKey),
                   settings.economic ? QStringLiteral("1") : QStringLiteral("0"));
    tx.writeString(kDisplay, kDisplaySeconds, wholeOr(settings.displaySeconds, QStringLiteral("10")));
    tx.writeString(kAdvance, kAdvanceTime, wholeOr(settings.advanceMinutes, QStringLiteral("0")));
    tx.writeString(kAdvance, kLateLimit, wholeOr(settings.lateLimitMinutes, kDefaultLateLimit));
    writeEconomicGroup(tx, settings);

    if (settings.HolidayDates.isEmpty()) {
        tx.deleteSection(kHolidays);
    } else {
        QList<ProfileLine> lines;
        for (qsizetype i = 0; i < settings.HolidayDates.size(); ++i)
            lines.append({holidayKey(i + 1), settings.HolidayDates[i]});
        tx.writeSection(kHolidays, lines);
    }

    for (int i = 0; i < kAbbreviationCount; ++i) {
        if (settings.abbreviations[i] != settings.loadedAbbreviations[i])
            tx.writeString(kAbbreviations, abbreviationKey(i), settings.abbreviations[i]);
        if (settings.abbreviationTexts[i] != settings.loadedAbbreviationTexts[i])
            tx.writeString(kAbbreviations, abbreviationTextKey(i), settings.abbreviationTexts[i]);
    }
    for (const QString& key : displayKeys()) {
        if (settings.display.contains(key))
            tx.writeString(kDisplayForm, key, settings.display.value(key));
    }
    for (const QString& key : soundKeys()) {
        if (settings.sound.contains(key))
            tx.writeString(kSound, key, settings.sound.value(key));
    }

    return commitOrMessage(tx, error);
}

QStringList RebuildHolidayList(const QStringList& items)
{
    QStringList kept;
    for (const QString& item : items) {
        if (!item.isEmpty() && isTodayOrLater(item))
            kept.append(item);
    }
    return kept;
}

std::optional<QString> holidayFromInput(const QString& text)
{
    const auto date = parseDate(text);
    if (!date)
        return std::nullopt;
    return formatDate(*date);
}

bool acceptsNonNegativeWhole(const QString& text)
{
    if (text.isEmpty())
        return true;
    const auto value = parseWhole16(text);
    return value && *value >= 0;
}

bool acceptsDateText(const QString& text) { return text.isEmpty() || parseDate(text).has_value(); }

QString checkTimeDifference(const QString& text)
{
    if (text.isEmpty())
        return {};
    const auto number = parseDecimal(text);
    if (!number)
        return QStringLiteral("正の整数値を記入してください");
    const auto rounded = parseWhole16(text);
    if (!rounded || *rounded > 24 || *rounded < 0)
        return QStringLiteral("時差を確認してください。");
    if (*number != double(*rounded))
        return QStringLiteral("正の整数値を記入してください");
    return {};
}

QString checkCalendarUrl(const QString& text)
{
    if (text.isEmpty())
        return {};
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != u"http" && scheme != u"https") || url.host().isEmpty())
        return QStringLiteral("経済指標のURLは http:// または https:// で始まるアドレスを記入してください");
    return {};
}

SoundForm soundFormFrom(const GeneralSettings& settings)
{
    SoundForm form;
    form.wave = isFlagOn(settings.soundValue(keyName(kWaveOnKey)));
    form.wavePath = settings.soundValue(keyName(kWavePathKey));
    form.repeatCount = settings.soundValue(keyName(kWaveRepeatKey));
    form.speech = isFlagOn(settings.soundValue(keyName(kSpeechOnKey)));
    form.textPath = settings.soundValue(keyName(kSpeechTextKey));
    for (int i = 0; i < kSpeechCommandCount; ++i)
        form.commands[size_t(i)] = settings.soundValue(speechCommandKey(i));
    // Both on cannot be shown: the speech option wins, as the window sets it last.
    if (form.speech)
        form.wave = false;
    return form;
}

QString CaptureSoundSettings(const SoundForm& form, GeneralSettings& settings)
{
    auto& sound = settings.sound;
    const QString waveOn = keyName(kWaveOnKey), speechOn = keyName(kSpeechOnKey);
    if (form.wave) {
        if (form.wavePath.isEmpty())
            return QStringLiteral("WAVEファイルのパスを記入してください");
        sound[waveOn] = QStringLiteral("1");
        sound[speechOn] = QStringLiteral("0");
        sound[keyName(kWavePathKey)] = form.wavePath;
        sound[keyName(kWaveRepeatKey)] = form.repeatCount.isEmpty() ? QStringLiteral("1") : form.repeatCount;
    } else if (form.speech) {
        sound[waveOn] = QStringLiteral("0");
        sound[speechOn] = QStringLiteral("1");
        sound[keyName(kSpeechTextKey)] = form.textPath;
        for (int i = 0; i < kSpeechCommandCount; ++i)
            sound[speechCommandKey(i)] = form.commands[size_t(i)];
    } else {
        // Both options off means no sound at all; the paths are kept for the next time.
        sound[waveOn] = QStringLiteral("0");
        sound[speechOn] = QStringLiteral("0");
    }
    return {};
}

bool acceptsAbsolutePath(const QString& text)
{
    if (text.isEmpty())
        return true;
#ifdef Q_OS_WIN
    return text.size() >= 3 && text[0].isLetter() && text[1] == u':' && text[2] == u'\\';
#else
    return text.startsWith(u'/');
#endif
}

bool acceptsRepeatCount(const QString& text) { return text.isEmpty() || parseDecimal(text).has_value(); }

} // namespace corvane::editor
