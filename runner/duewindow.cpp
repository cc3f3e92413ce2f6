#include "duewindow.h"

#include "dayschedule.h"

namespace corvane {

std::optional<int> startSecond(const ScheduleItem& item, int advanceMinutes)
{
    if (!item.at.isValid())
        return std::nullopt;
    const int start = item.at.msecsSinceStartOfDay() / 1000 - advanceMinutes * 60;
    if (start < 0 || start >= kSecondsPerDay)
        return std::nullopt;
    return start;
}

} // namespace corvane
