#include "clockgap.h"

namespace corvane {

namespace {
// The two clocks are read a moment apart and the wall clock may be slewed: differences below
// this are noise, not a leap of the wall clock.
constexpr qint64 kLeapMs = 1000;
} // namespace

ClockGap::ClockGap(Monotonic monotonic) : m_monotonic(std::move(monotonic)) { m_elapsed.start(); }

std::optional<ClockSpan> ClockGap::observe(const QDateTime& now, int acceptanceSeconds)
{
    const qint64 monotonic = m_monotonic ? m_monotonic() : m_elapsed.elapsed();
    const QDateTime previous = m_previousWall;
    const qint64 monotonicMs = monotonic - m_previousMonotonic;
    m_previousWall = now;
    m_previousMonotonic = monotonic;
    if (!previous.isValid())
        return std::nullopt;
    const qint64 wallMs = previous.msecsTo(now);
    if (wallMs <= qint64(acceptanceSeconds) * 1000)
        return std::nullopt;
    return ClockSpan{previous, now, wallMs - monotonicMs < kLeapMs};
}

} // namespace corvane
