#include "preparation.h"

#include "dayschedule.h"

#include <algorithm>

namespace corvane {

namespace {
constexpr int kSecondsPerDay = 24 * 60 * 60;
} // namespace

std::optional<int> secondsToNextStart(const DaySchedule& schedule, int advanceMinutes, int acceptanceSeconds,
                                      const QDateTime& now)
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
            const int start = item.at.msecsSinceStartOfDay() / 1000 - advanceMinutes * 60;
            // The check never announces these (see CheckReminders).
            if (item.shown || !item.at.isValid() || start < 0 || start >= kSecondsPerDay)
                continue;
            const int ahead = day * kSecondsPerDay + start - nowSeconds;
            if (ahead + acceptanceSeconds <= 0)
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
