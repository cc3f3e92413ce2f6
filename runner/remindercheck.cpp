#include "remindercheck.h"

#include "announcer.h"
#include "clock.h"
#include "dayschedule.h"
#include "duewindow.h"
#include "log.h"
#include "missedreminders.h"

namespace corvane {

ReminderCheck::Result ReminderCheck::CheckReminders()
{
    const QDateTime now = Clock::now();
    QString message;
    if (m_missed)
        message = m_missed->collect(m_schedule, m_advanceMinutes, now);
    DayList* list = m_schedule.listFor(now.date());
    if (!list)
        return Result::OtherDay;

    // Times of day only, in whole seconds: the calendar day was settled by the list choice.
    const int nowSeconds = now.time().msecsSinceStartOfDay() / 1000;
    for (ScheduleItem& item : *list) {
        if (item.shown)
            continue;
        const std::optional<int> start = startSecond(item, m_advanceMinutes);
        if (start && isDueNow(nowSeconds - *start)) {
            message += item.text;
            message += QLatin1Char('\n');
            item.shown = true;
        }
    }
    if (!message.isEmpty()) {
        // The journal keeps a record of every announcement, so a user can look up what was shown.
        logLine(QStringLiteral("お知らせ: ") + message.trimmed().replace(QLatin1Char('\n'), QStringLiteral(" / ")));
        m_announcer->announce(message);
    }
    m_announcer->setReady(m_preparation.wantReady(secondsToNextStart(m_schedule, m_advanceMinutes, now)));
    return message.isEmpty() ? Result::Quiet : Result::Announced;
}

} // namespace corvane
