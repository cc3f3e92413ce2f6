#include "generalsettings.h"

#include <QUrl>
#include <algorithm>

#include "abbreviations.h"
#include "advancesettings.h"
#include "clock.h"
#include "log.h"
#include "profile.h"
#include "valueforms.h"

namespace corvane::editor {

namespace {

const QString kEconomic = QStringLiteral("経済指標");
const QString kDifference = QStringLiteral("時差");
const QString kHolidays = QStringLiteral("祝日");
const QString kAbbreviationSection = QStringLiteral("略称登録");
const QString kDisplayForm = QStringLiteral("表示フォーム");
const QString kSound = QStringLiteral("サウンド");
const QString kTimeKey = QStringLiteral("時間");
const QString kAdvance = QString::fromUtf16(kAdvanceSection);
const QString kAdvanceTime = QString::fromUtf16(kAdvanceKey);
const QString kLateLimit = QString::fromUtf16(kLateLimitKey);
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
    static const QStringList keys = {
        QStringLiteral("色"),    QStringLiteral("TOP"),   QStringLiteral("LEFT"),  QStringLiteral("HEIGHT"),
        QStringLiteral("WIDTH"), QStringLiteral("FNAME"), QStringLiteral("FSIZE"), QStringLiteral("FBOLD"),
        QStringLiteral("FITAL"), QStringLiteral("FUNDE"), QStringLiteral("FSTRI"), QStringLiteral("FCOLO")};
    return keys;
}

const QStringList& soundKeys()
{
    static const QStringList keys = {QStringLiteral("音"),      QStringLiteral("音パス"),  QStringLiteral("音回数"),
                                     QStringLiteral("音声"),    QStringLiteral("音声TXT"), QStringLiteral("音声SH0"),
                                     QStringLiteral("音声SH1"), QStringLiteral("音声SH2")};
    return keys;
}

void LoadGeneralSettings(const QString& path, GeneralSettings& settings)
{
    const ProfileTransaction tx(path);
    settings.economic = isFlagOn(readCut(tx, kEconomic, QStringLiteral("取得")));
    const QString seconds = readCut(tx, QStringLiteral("表示"), kTimeKey);
    settings.displaySeconds = seconds.isEmpty() ? QStringLiteral("10") : seconds;
    const QString advance = readCut(tx, kAdvance, kAdvanceTime);
    settings.advanceMinutes = advance.isEmpty() ? QStringLiteral("0") : advance;
    const QString lateLimit = readCut(tx, kAdvance, kLateLimit);
    settings.lateLimitMinutes = lateLimit.isEmpty() ? kDefaultLateLimit : lateLimit;
    settings.et = readCut(tx, kDifference, QStringLiteral("ET"));
    settings.cet = readCut(tx, kDifference, QStringLiteral("CET"));
    settings.gmt = readCut(tx, kDifference, QStringLiteral("GMT"));
    settings.calendarUrl = readCut(tx, kEconomic, QStringLiteral("URL"));
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
        settings.abbreviations[i] = readCut(tx, kAbbreviationSection, abbreviationKey(i));
        settings.loadedAbbreviations[i] = settings.abbreviations[i];
        settings.abbreviationTexts[i] = readCut(tx, kAbbreviationSection, abbreviationTextKey(i));
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
    tx.writeString(kDifference, QStringLiteral("ET"), settings.et);
    tx.writeString(kDifference, QStringLiteral("CET"), settings.cet);
    tx.writeString(kDifference, QStringLiteral("GMT"), settings.gmt);
    if (settings.calendarUrl != settings.loadedCalendarUrl)
        tx.writeString(kEconomic, QStringLiteral("URL"), settings.calendarUrl);
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
    tx.writeString(kEconomic, QStringLiteral("取得"), settings.economic ? QStringLiteral("1") : QStringLiteral("0"));
    tx.writeString(QStringLiteral("表示"), kTimeKey, wholeOr(settings.displaySeconds, QStringLiteral("10")));
    tx.writeString(kAdvance, kAdvanceTime, wholeOr(settings.advanceMinutes, QStringLiteral("0")));
    tx.writeString(kAdvance, kLateLimit, wholeOr(settings.lateLimitMinutes, kDefaultLateLimit));
    writeEconomicGroup(tx, settings);

    if (settings.HolidayDates.isEmpty()) {
        tx.deleteSection(kHolidays);
    } else {
        QList<ProfileLine> lines;
        for (qsizetype i = 0; i < settings.HolidayDates.size(); ++i)
            lines.append({QStringLiteral("登録日%1").arg(i + 1), settings.HolidayDates[i]});
        tx.writeSection(kHolidays, lines);
    }

    for (int i = 0; i < kAbbreviationCount; ++i) {
        if (settings.abbreviations[i] != settings.loadedAbbreviations[i])
            tx.writeString(kAbbreviationSection, abbreviationKey(i), settings.abbreviations[i]);
        if (settings.abbreviationTexts[i] != settings.loadedAbbreviationTexts[i])
            tx.writeString(kAbbreviationSection, abbreviationTextKey(i), settings.abbreviationTexts[i]);
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

bool acceptsDateText(const QString& text)
{
    return text.isEmpty() || parseDate(text).has_value();
}

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
    form.wave = isFlagOn(settings.soundValue(QStringLiteral("音")));
    form.wavePath = settings.soundValue(QStringLiteral("音パス"));
    form.repeatCount = settings.soundValue(QStringLiteral("音回数"));
    form.speech = isFlagOn(settings.soundValue(QStringLiteral("音声")));
    form.textPath = settings.soundValue(QStringLiteral("音声TXT"));
    for (int i = 0; i < 3; ++i)
        form.commands[size_t(i)] = settings.soundValue(QStringLiteral("音声SH%1").arg(i));
    // Both on cannot be shown: the speech option wins, as the window sets it last.
    if (form.speech)
        form.wave = false;
    return form;
}

QString CaptureSoundSettings(const SoundForm& form, GeneralSettings& settings)
{
    auto& sound = settings.sound;
    if (form.wave) {
        if (form.wavePath.isEmpty())
            return QStringLiteral("WAVEファイルのパスを記入してください");
        sound[QStringLiteral("音")] = QStringLiteral("1");
        sound[QStringLiteral("音声")] = QStringLiteral("0");
        sound[QStringLiteral("音パス")] = form.wavePath;
        sound[QStringLiteral("音回数")] = form.repeatCount.isEmpty() ? QStringLiteral("1") : form.repeatCount;
    } else if (form.speech) {
        sound[QStringLiteral("音")] = QStringLiteral("0");
        sound[QStringLiteral("音声")] = QStringLiteral("1");
        sound[QStringLiteral("音声TXT")] = form.textPath;
        for (int i = 0; i < 3; ++i)
            sound[QStringLiteral("音声SH%1").arg(i)] = form.commands[size_t(i)];
    } else {
        // Both options off means no sound at all; the paths are kept for the next time.
        sound[QStringLiteral("音")] = QStringLiteral("0");
        sound[QStringLiteral("音声")] = QStringLiteral("0");
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

bool acceptsRepeatCount(const QString& text)
{
    return text.isEmpty() || parseDecimal(text).has_value();
}

} // namespace corvane::editor
