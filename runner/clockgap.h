#pragma once
// Notices when the wall clock has moved on further than the acceptance window between two
// one-second checks: the machine slept, a virtual machine was resumed, the clock was set right
// after a drift, or the runner itself was not scheduled for a while (stopped, swapped out, a
// frozen cgroup). Entries due in that span were seen by no check.
#include <QDateTime>
#include <QElapsedTimer>
#include <functional>
#include <optional>

namespace corvane {

// The wall-clock span that no check saw: after `from` (the previous check) up to `to` (now).
struct ClockSpan {
    QDateTime from;
    QDateTime to;
    // The monotonic clock moved on with the wall clock: the runner was held up, the machine
    // did not sleep.
    bool stalled = false;
};

class ClockGap {
public:
    // Milliseconds on a clock that runs only while the machine runs and is never set; the
    // default is the system's monotonic clock.
    using Monotonic = std::function<qint64()>;
    explicit ClockGap(Monotonic monotonic = {});

    // Called at every check with the wall clock's now. Returns the span since the previous
    // check when the wall clock moved on by more than `acceptanceSeconds`, whether the machine
    // slept or the runner stalled. The first call, and a clock set back, give nothing.
    std::optional<ClockSpan> observe(const QDateTime& now, int acceptanceSeconds);

private:
    Monotonic m_monotonic;
    QElapsedTimer m_elapsed;
    QDateTime m_previousWall;
    qint64 m_previousMonotonic = 0;
};

} // namespace corvane
