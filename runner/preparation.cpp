#include "preparation.h"

#include "dayschedule.h"
#include "duewindow.h"

#include <algorithm>

namespace corvane {

std::optional<int> secondsToNextStart(const DaySchedule& schedule, int advanceMinutes, const QDateTime& now)
{
    const int nowSeconds = now.time().msecsSinceStartOfDay() / 1000;
    std::optional<int> next;
    for (int day = 0; day < 2; ++day) {
        const QDate date = now.date().addDays(day);
        const DayList* list = date == schedule.buildDate()              ? &schedule.today()
                              : date == schedule.buildDate().addDays(1) ? &schedule.tomorrow()
                                                                        : nullptr;
        if (!list)
            continue;
        for (const ScheduleItem& item : *list) {
            const std::optional<int> start = startSecond(item, advanceMinutes);
            // The check never announces these.
            if (item.shown || !start)
                continue;
            const int ahead = day * kSecondsPerDay + *start - nowSeconds;
            if (ahead <= 0 && !isDueNow(-ahead))
                continue;
            const int in = std::max(0, ahead);
            next = next ? std::min(*next, in) : in;
        }
    }
    return next;
}

bool PreparationPolicy::wantReady(std::optional<int> secondsToNext)
{
    const int limit = m_ready ? kKeepReadySeconds : kPrepareLeadSeconds;
    m_ready = secondsToNext && *secondsToNext <= limit;
    return m_ready;
}

} // namespace corvane
