#pragma once
// One line per failure on stderr (the desktop session's journal). The runner shows no
// messages; this is where its faults go.
#include <QString>

namespace corvane {

void logLine(const QString& text);

} // namespace corvane
