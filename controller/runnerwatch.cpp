#include "runnerwatch.h"

#include "runnercontrol.h"

namespace corvane::controller {

RunnerWatch::RunnerWatch(QObject* parent) : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &RunnerWatch::look);
}

void RunnerWatch::start(int durationMs, int intervalMs)
{
    m_durationMs = durationMs;
    m_elapsed.start();
    m_timer.start(intervalMs);
    look();
}

void RunnerWatch::stop() { m_timer.stop(); }

void RunnerWatch::look()
{
    if (FindRunner()) {
        m_timer.stop();
        emit runnerFound();
        return;
    }
    if (m_elapsed.elapsed() >= m_durationMs)
        m_timer.stop();
}

} // namespace corvane::controller
