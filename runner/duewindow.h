#pragma once
// When an entry is due: from its start (its time less the advance) for the acceptance window.
// The one-second check, the catch-up after a gap and the preparation of the output all ask
// here, so that they never disagree on a boundary.
#include <QtGlobal>
#include <optional>

namespace corvane {

struct ScheduleItem;

// Four late or lost ticks of the one-second timer still find an entry.
inline constexpr int kAcceptanceSeconds = 5;
inline constexpr int kSecondsPerDay = 24 * 60 * 60;

// The second of its own day at which the entry comes up. None when that falls outside its day
// (an advance reaching back before midnight) or the entry has no time: such an entry is never
// due.
std::optional<int> startSecond(const ScheduleItem& item, int advanceMinutes);

// An entry that started `secondsSinceStart` ago (negative: not yet) is due now.
constexpr bool isDueNow(qint64 secondsSinceStart)
{
    return secondsSinceStart >= 0 && secondsSinceStart < kAcceptanceSeconds;
}

} // namespace corvane
