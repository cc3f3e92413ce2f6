#pragma once
// When the announcement's output (the reminder window with its fonts, the sound output) is held
// ready: from shortly before an entry comes up until no entry is near any more. Between
// reminders the resident runner then holds only its lists, not a window's worth of memory.
#include <QDateTime>
#include <optional>

namespace corvane {

class DaySchedule;

// Seconds ahead of an entry's start at which the output is made ready.
inline constexpr int kPrepareLeadSeconds = 10;
// Once ready, it is kept while the next entry starts within this span.
inline constexpr int kKeepReadySeconds = 5 * 60;

// Seconds from `now` until the next entry not shown yet starts (its time less the advance), in
// the list held for `now`'s date and the one for the day after; 0 when one is due now. None
// when the lists held have no such entry.
std::optional<int> secondsToNextStart(const DaySchedule& schedule, int advanceMinutes, const QDateTime& now);

// The ready/released decision with its hysteresis: ready from kPrepareLeadSeconds before a
// start, kept while the next start is within kKeepReadySeconds, released beyond.
class PreparationPolicy {
public:
    bool wantReady(std::optional<int> secondsToNext);

private:
    bool m_ready = false;
};

} // namespace corvane
