#include "announcement.h"

#include "clock.h"

#include <algorithm>

namespace corvane {

EventLoopTimeSource::EventLoopTimeSource()
{
    m_elapsed.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, [this] {
        // The callback may ask for the next wake-up, which replaces m_wake.
        auto wake = std::move(m_wake);
        m_wake = nullptr;
        if (wake)
            wake();
    });
}

int64_t EventLoopTimeSource::monotonicMs() const { return m_elapsed.elapsed(); }

int EventLoopTimeSource::msIntoSecond() const { return Clock::now().time().msec(); }

void EventLoopTimeSource::wakeAt(int64_t at, std::function<void()> wake)
{
    m_wake = std::move(wake);
    m_timer.start(int(std::clamp<int64_t>(at - monotonicMs(), 0, INT32_MAX)));
}

void EventLoopTimeSource::cancelWake()
{
    m_timer.stop();
    m_wake = nullptr;
}

Announcement::Announcement(const ReminderPlan& plan, AnnouncementTimeSource& time, AnnouncementOutput& output)
    : m_plan(plan), m_time(time), m_output(output)
{
}

Announcement::~Announcement() { m_time.cancelWake(); }

int64_t Announcement::soundWaitMs(int msIntoSecond) { return 6000 - std::clamp(msIntoSecond, 0, 999); }

void Announcement::start(const QString& caption, const QString& message)
{
    m_time.cancelWake();
    m_output.showReminder(caption, message);
    m_active = true;
    m_message = message;
    // The display time ends when the clock's whole seconds reach the showing's second plus
    // the display time, as the user reads it off the caption.
    m_closeAt = m_time.monotonicMs() + int64_t(m_plan.displaySeconds) * 1000 - m_time.msIntoSecond();
    m_repetitionsLeft = m_plan.soundRepetitions;
    m_speechPending = m_plan.speech;
    step();
}

void Announcement::step()
{
    if (m_repetitionsLeft > 0) {
        --m_repetitionsLeft;
        m_output.playSound();
        m_time.wakeAt(m_time.monotonicMs() + soundWaitMs(m_time.msIntoSecond()), [this] { step(); });
        return;
    }
    if (m_speechPending) {
        m_speechPending = false;
        m_output.speak(m_message);
    }
    if (m_time.monotonicMs() >= m_closeAt)
        close();
    else
        m_time.wakeAt(m_closeAt, [this] { close(); });
}

void Announcement::close()
{
    m_time.cancelWake();
    m_active = false;
    m_repetitionsLeft = 0;
    m_speechPending = false;
    m_output.closeReminder();
}

void Announcement::stop()
{
    if (m_active)
        close();
}

} // namespace corvane
