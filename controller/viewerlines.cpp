#include "viewerlines.h"

#include "profile.h"
#include "valueforms.h"

namespace corvane::controller {

void loadAbbreviations(const QString& settingsPath, Abbreviations& abbreviations)
{
    const QString section = QString::fromUtf16(kAbbreviationSection);
    const ProfileTransaction file(settingsPath);
    for (int i = 0; i < kAbbreviationSlots; ++i) {
        const QString shortForm = file.readString(section, abbreviationKey(i));
        if (!shortForm.isEmpty())
            abbreviations.shortForms[i] = shortForm;
        const QString fullText = file.readString(section, abbreviationTextKey(i));
        if (!fullText.isEmpty())
            abbreviations.fullTexts[i] = fullText;
    }
}

namespace {

// A time as typed may be full width or have blanks around it (the file keeps it so); the
// column shows it in its normal form, seconds only when they count.
QString normalTime(const QString& stored)
{
    const std::optional<QTime> time = parseTime(stored);
    if (!time)
        return stored;
    QString normal = formatTime(*time);
    if (time->second() != 0)
        normal += QStringLiteral(":%1").arg(time->second(), 2, 10, QLatin1Char('0'));
    return normal;
}

} // namespace

QString formatViewerLine(const QString& storedTime, const QString& text)
{
    const QString time = normalTime(storedTime);
    const QString column = time.size() == 4 ? QLatin1Char(' ') + time : time;
    return column + QStringLiteral("    ") + text;
}

QList<DayListEntry> readDayList(const QString& settingsPath, ViewerDay day)
{
    const QString section = QString::fromUtf16(day == ViewerDay::Today ? kTodayListSection : kTomorrowListSection);
    const ProfileTransaction file(settingsPath);
    QList<DayListEntry> entries;
    for (int n = 0;; ++n) {
        const QString time = file.readString(section, dayListTimeKey(n));
        if (time.isEmpty())
            break;
        entries.append({time, file.readString(section, dayListTextKey(n))});
    }
    return entries;
}

QStringList buildViewerLines(const QString& settingsPath, ViewerDay day, Abbreviations& abbreviations)
{
    if (day == ViewerDay::Today)
        loadAbbreviations(settingsPath, abbreviations);
    QStringList lines;
    for (const DayListEntry& entry : readDayList(settingsPath, day))
        lines.append(formatViewerLine(entry.time, abbreviations.expand(entry.text)));
    return lines;
}

} // namespace corvane::controller
