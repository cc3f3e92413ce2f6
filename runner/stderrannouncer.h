#pragma once
// An announcer without a window: each due message goes to stderr with the time.
#include "announcer.h"

namespace corvane {

class StderrAnnouncer final : public Announcer {
public:
    void announce(const QString& message) override;
};

} // namespace corvane
