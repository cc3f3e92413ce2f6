#pragma once
// Where a due message goes. The one-second check hands every message to one Announcer.
#include <QString>
#include <functional>

namespace corvane {

class Announcer {
public:
    virtual ~Announcer() = default;
    // message: the due entries' texts, each ended by "\n", in list order. Returns at once;
    // the announcement runs on the event loop.
    virtual void announce(const QString& message) = 0;
    // An announcement is on screen (or its sound or speech still runs).
    virtual bool isAnnouncing() const { return false; }
    // Holds what an announcement needs ready (true) or gives it back (false), once nothing is
    // on screen any more. Called at every check; an announce() while not ready still shows at
    // once.
    virtual void setReady(bool ready) { (void)ready; }

    // Who hears that the user asked, from the reminder window's menu, to see the message on
    // screen again in `minutes` minutes. `message` is the one handed to announce().
    using SnoozeHandler = std::function<void(const QString& message, int minutes)>;
    void setSnoozeHandler(SnoozeHandler handler) { m_snoozeHandler = std::move(handler); }

protected:
    void reportSnooze(const QString& message, int minutes) const
    {
        if (m_snoozeHandler)
            m_snoozeHandler(message, minutes);
    }

private:
    SnoozeHandler m_snoozeHandler;
};

} // namespace corvane
