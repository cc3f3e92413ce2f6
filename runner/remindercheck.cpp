#include "remindercheck.h"

#include "announcer.h"
#include "clock.h"
#include "dayschedule.h"
#include "log.h"
#include "missedreminders.h"

namespace corvane {

namespace {
// Four late or lost ticks of the one-second timer still find an entry.
constexpr int kAcceptanceSeconds = 5;
constexpr int kSecondsPerDay = 24 * 60 * 60;
} // namespace

ReminderCheck::Result ReminderCheck::CheckReminders()
{
    const QDateTime now = Clock::now();
    QString message;
    if (m_missed)
        message = m_missed->collect(m_schedule, m_advanceMinutes, kAcceptanceSeconds, now);
    DayList* list = m_schedule.listFor(now.date());
    if (!list)
        return Result::OtherDay;

    // Times of day only, in whole seconds: the calendar day was settled by the list choice.
    const int nowSeconds = now.time().msecsSinceStartOfDay() / 1000;
    const int advanceSeconds = m_advanceMinutes * 60;
    for (ScheduleItem& item : *list) {
        if (item.shown)
            continue;
        const int start = item.at.msecsSinceStartOfDay() / 1000 - advanceSeconds;
        // An entry whose start falls before midnight of its day is never due.
        if (start < 0 || start >= kSecondsPerDay)
            continue;
        if (start <= nowSeconds && nowSeconds < start + kAcceptanceSeconds) {
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
    m_announcer->setReady(
        m_preparation.wantReady(secondsToNextStart(m_schedule, m_advanceMinutes, kAcceptanceSeconds, now)));
    return message.isEmpty() ? Result::Quiet : Result::Announced;
}

} // namespace corvane
