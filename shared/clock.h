#pragma once
// The one clock every piece of logic asks for the date and time. Tests swap in a fixed or
// advancing "now", the import program the runner's day; `faketime` moves the system clock for
// whole-program runs.
#include <QDateTime>
#include <functional>

namespace corvane {

class Clock {
public:
    // Local date and time now (the system clock unless a test replaced it).
    static QDateTime now();
    static QDate today() { return now().date(); }
    // Replaces the source of "now"; an empty function restores the system clock.
    static void setSource(std::function<QDateTime()> source);
};

// Restores the system clock when it goes out of scope.
class ScopedClock {
public:
    explicit ScopedClock(std::function<QDateTime()> source) { Clock::setSource(std::move(source)); }
    ~ScopedClock() { Clock::setSource({}); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

} // namespace corvane
