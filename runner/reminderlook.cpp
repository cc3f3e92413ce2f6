#include "reminderlook.h"

#include "log.h"

#include <algorithm>

namespace corvane {

namespace {

void logFallback(const char* what, const QString& text, const QString& fallback)
{
    const QString problem =
        text.isEmpty() ? QStringLiteral("が空です") : QStringLiteral("の値 \"%1\" は数値として使えません").arg(text);
    logLine(QStringLiteral("%1 %2。%3 を使います").arg(QString::fromUtf8(what), problem, fallback));
}

// A whole number from a held text, or the fallback (logged) when it does not convert.
int32_t whole32Or(const QString& text, int32_t fallback, const char* what)
{
    if (const auto value = parseWhole32(text))
        return *value;
    logFallback(what, text, QString::number(fallback));
    return fallback;
}

int16_t whole16Or(const QString& text, int16_t fallback, const char* what)
{
    if (const auto value = parseWhole16(text))
        return *value;
    logFallback(what, text, QString::number(fallback));
    return fallback;
}

ColourValue colourOr(const QString& text, int systemIndex, const char* what)
{
    if (text.isEmpty())
        return ColourValue::system(systemIndex);
    if (const auto value = parseColour(text))
        return *value;
    logFallback(what, text, QStringLiteral("システムカラー %1").arg(systemIndex));
    return ColourValue::system(systemIndex);
}

} // namespace

ReminderLook reminderLookFrom(const DisplaySettings& s)
{
    ReminderLook look;
    look.background = colourOr(s.colour, kButtonFaceIndex, "表示フォーム/色");
    look.top = whole32Or(s.top, 0, "表示フォーム/TOP");
    look.left = whole32Or(s.left, 0, "表示フォーム/LEFT");
    look.height = whole32Or(s.height, 1455, "表示フォーム/HEIGHT");
    look.width = whole32Or(s.width, 2970, "表示フォーム/WIDTH");
    // Subtracting the margins of a huge stored size must not overflow.
    look.labelHeight = look.height > 2 * kLabelTop ? int32_t(int64_t(look.height) - 2 * kLabelTop) : kLabelDesignHeight;
    look.labelWidth = look.width > 2 * kLabelLeft ? int32_t(int64_t(look.width) - 2 * kLabelLeft) : kLabelDesignWidth;
    look.text = colourOr(s.textColour, kButtonTextIndex, "表示フォーム/FCOLO");

    if (!s.fontSize.isEmpty()) {
        const int16_t points = whole16Or(s.fontSize, kDefaultFontPoints, "表示フォーム/FSIZE");
        if (points > 0) {
            look.fontPoints = points;
        } else {
            logFallback("表示フォーム/FSIZE", s.fontSize, QString::number(kDefaultFontPoints));
        }
    }
    if (!s.fontName.isEmpty())
        look.fontName = s.fontName;
    look.bold = isFlagOn(s.bold);
    look.italic = isFlagOn(s.italic);
    look.underline = isFlagOn(s.underline);
    look.strikeout = isFlagOn(s.strikeout);
    return look;
}

ReminderPlan reminderPlanFrom(const DisplaySettings& s)
{
    ReminderPlan plan;
    plan.displaySeconds = whole16Or(s.displaySeconds, kDefaultDisplaySeconds, "表示/時間");
    if (isFlagOn(s.sound)) {
        plan.soundRepetitions = std::max<int>(0, whole16Or(s.soundRepeat, 1, "サウンド/音回数"));
        plan.soundPath = s.soundPath;
    }
    plan.speech = isFlagOn(s.speech);
    plan.speechTextPath = s.speechTextPath;
    plan.speechCommands = s.speechCommands;
    return plan;
}

QString reminderCaption(const QDateTime& at)
{
    static const QString weekdays = QStringLiteral("月火水木金土日");
    const QDate date = at.date();
    return QStringLiteral("  %1(%2)  %3")
        .arg(formatDate(date), weekdays.at(date.dayOfWeek() - 1), formatTime(at.time()));
}

} // namespace corvane
