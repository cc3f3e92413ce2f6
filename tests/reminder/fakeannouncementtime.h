#pragma once
// A time source the test moves by hand: a monotonic millisecond counter and a wall clock that
// normally runs with it but can be set (midnight, a clock set back). Wake-ups fire while the
// test advances the time, in order, at their exact moments.
#include <QDateTime>
#include <functional>

#include "announcement.h"

namespace corvane::test {

class FakeAnnouncementTime final : public AnnouncementTimeSource {
public:
    explicit FakeAnnouncementTime(QDateTime wallStart) : m_wallStart(std::move(wallStart)) {}

    int64_t monotonicMs() const override { return m_now; }
    int msIntoSecond() const override { return wall().time().msec(); }
    void wakeAt(int64_t at, std::function<void()> wake) override
    {
        m_wakeAt = at;
        m_wake = std::move(wake);
    }
    void cancelWake() override { m_wake = nullptr; }

    QDateTime wall() const { return m_wallStart.addMSecs(m_now - m_wallSetAt); }
    // The user (or a time service) sets the wall clock; the monotonic clock runs on.
    void setWall(const QDateTime& wall)
    {
        m_wallStart = wall;
        m_wallSetAt = m_now;
    }
    bool hasWake() const { return bool(m_wake); }

    // Moves time forward by `ms`, firing every wake-up that falls due on the way.
    void advance(int64_t ms)
    {
        const int64_t end = m_now + ms;
        while (m_wake && m_wakeAt <= end) {
            m_now = std::max(m_now, m_wakeAt);
            auto wake = std::move(m_wake);
            m_wake = nullptr;
            wake();
        }
        m_now = end;
    }

private:
    QDateTime m_wallStart;
    int64_t m_wallSetAt = 0;
    int64_t m_now = 0;
    int64_t m_wakeAt = 0;
    std::function<void()> m_wake;
};

} // namespace corvane::test
