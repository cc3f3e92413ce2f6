#include "secondticker.h"

#include <QDateTime>

namespace corvane {

namespace {
// Far enough past the boundary that the clock reads the new second, close enough to keep the
// announcement within the second it belongs to.
constexpr int kAfterBoundaryMs = 5;
} // namespace

SecondTicker::SecondTicker(QObject* parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SecondTicker::onTimeout);
}

void SecondTicker::start() { arm(); }

void SecondTicker::stop() { m_timer.stop(); }

int SecondTicker::delayToNextSecond(int msIntoSecond) { return 1000 - qBound(0, msIntoSecond, 999) + kAfterBoundaryMs; }

void SecondTicker::arm()
{
    // Re-aimed at every tick from the wall clock, so a slow tick, a suspend or a clock change
    // never leaves the ticks drifting off the second boundaries.
    m_timer.start(delayToNextSecond(QTime::currentTime().msec()));
}

void SecondTicker::onTimeout()
{
    arm();
    emit tick();
}

} // namespace corvane
