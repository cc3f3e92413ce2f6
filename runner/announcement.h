#pragma once
// One announcement as a small event-driven state machine: show the window, play the WAVE file
// the set number of times (each followed by a wait until more than 5 whole seconds of the
// clock have passed), hand the text to the speech programs, then close the window once the
// display time since the showing has passed (or at once, when the steps took longer).
//
// Nothing waits in a loop: between steps the machine asks its time source for one wake-up and
// returns to the event loop. Spans are measured on a monotonic clock, so a clock change or
// midnight does not stretch them; only the fraction of the current wall-clock second is read,
// to keep the waits on whole seconds as the user sees them.
//
// A new announcement while one is on screen replaces it: the window shows the new content at
// once, the older one's remaining repetitions and speech are dropped, and the window closes at
// the end of the newer display period.
#include <QElapsedTimer>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "reminderlook.h"

namespace corvane {

// Where the machine reads time and asks to be woken. Tests drive a fake one.
class AnnouncementTimeSource {
public:
    virtual ~AnnouncementTimeSource() = default;
    // Milliseconds on a monotonic clock.
    virtual int64_t monotonicMs() const = 0;
    // Milliseconds since the current wall-clock second began (0..999).
    virtual int msIntoSecond() const = 0;
    // Calls `wake` once when monotonicMs() reaches `at`; replaces any earlier request.
    virtual void wakeAt(int64_t at, std::function<void()> wake) = 0;
    virtual void cancelWake() = 0;
};

// The real one: QElapsedTimer (monotonic), the suite's Clock for the wall-clock fraction and
// a precise single-shot QTimer for the wake-up.
class EventLoopTimeSource final : public AnnouncementTimeSource {
public:
    EventLoopTimeSource();
    int64_t monotonicMs() const override;
    int msIntoSecond() const override;
    void wakeAt(int64_t at, std::function<void()> wake) override;
    void cancelWake() override;

private:
    QElapsedTimer m_elapsed;
    QTimer m_timer;
    std::function<void()> m_wake;
};

// What an announcement does to the outside world.
class AnnouncementOutput {
public:
    virtual ~AnnouncementOutput() = default;
    virtual void showReminder(const QString& caption, const QString& message) = 0;
    virtual void playSound() = 0;
    virtual void speak(const QString& message) = 0;
    virtual void closeReminder() = 0;
};

class Announcement {
public:
    Announcement(const ReminderPlan& plan, AnnouncementTimeSource& time, AnnouncementOutput& output);
    ~Announcement();
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

    // Starts an announcement of `message` with `caption`, replacing one that is running.
    void start(const QString& caption, const QString& message);
    // Ends a running announcement at once (the runner closes); the window is closed.
    void stop();
    bool isActive() const { return m_active; }

    // Until more than 5 whole seconds have passed since a moment `msIntoSecond` into its
    // second: 6 s less that fraction.
    static int64_t soundWaitMs(int msIntoSecond);

private:
    void step();
    void close();

    ReminderPlan m_plan;
    AnnouncementTimeSource& m_time;
    AnnouncementOutput& m_output;
    bool m_active = false;
    QString m_message;
    int m_repetitionsLeft = 0;
    bool m_speechPending = false;
    int64_t m_closeAt = 0;
};

} // namespace corvane
