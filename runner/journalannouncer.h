#pragma once
// Keeps a journal of what the runner announced: one stderr line per announcement (the desktop
// session's journal), then the message goes on to the real announcer. A user who wonders
// whether a reminder came up can look it up there.
#include "announcer.h"

#include <memory>

namespace corvane {

class JournalAnnouncer final : public Announcer {
public:
    explicit JournalAnnouncer(std::unique_ptr<Announcer> next) : m_next(std::move(next)) {}
    void announce(const QString& message) override;
    Announcer* next() const { return m_next.get(); }

private:
    std::unique_ptr<Announcer> m_next;
};

} // namespace corvane
