#include "remindercheck.h"

#include "announcer.h"
#include "clock.h"
#include "dayhistory.h"
#include "dayschedule.h"
#include "duewindow.h"
#include "log.h"
#include "missedreminders.h"
#include "pendingsnoozes.h"

#include <algorithm>

namespace corvane {

ReminderCheck::Result ReminderCheck::CheckReminders()
{
    const QDateTime now = Clock::now();
    QList<AnnouncedLine> lines;
    if (m_missed)
        lines = m_missed->collect(m_schedule, m_advanceMinutes, now);
    DayList* list = m_schedule.listFor(now.date());
    if (!list)
        return Result::OtherDay;
    if (m_snoozes)
        lines += m_snoozes->takeDue(now);

    // Times of day only, in whole seconds: the calendar day was settled by the list choice.
    const int nowSeconds = now.time().msecsSinceStartOfDay() / 1000;
    for (ScheduleItem& item : *list) {
        if (item.shown)
            continue;
        const std::optional<int> start = startSecond(item, m_advanceMinutes);
        if (start && isDueNow(nowSeconds - *start)) {
            lines.append({now.date(), item.at, item.text, AnnouncedLine::Kind::OnTime});
            item.shown = true;
        }
    }
    if (!lines.isEmpty()) {
        const QString message = messageOf(lines);
        // The journal keeps a record of every announcement, so a user can look up what was shown.
        logLine(QStringLiteral("お知らせ: ")
                + QString(message).trimmed().replace(QLatin1Char('\n'), QStringLiteral(" / ")));
        if (m_snoozes)
            m_snoozes->noteAnnounced(message, lines);
        m_announcer->announce(message);
        if (m_history)
            m_history->recordShown(lines, now);
    }
    std::optional<int> next = secondsToNextStart(m_schedule, m_advanceMinutes, now);
    if (const std::optional<int> snooze = m_snoozes ? m_snoozes->secondsToNext(now) : std::nullopt)
        next = next ? std::min(*next, *snooze) : snooze;
    m_announcer->setReady(m_preparation.wantReady(next));
    return lines.isEmpty() ? Result::Quiet : Result::Announced;
}

} // namespace corvane
