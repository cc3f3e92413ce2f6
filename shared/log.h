#pragma once
// One line per event or failure on stderr and, in the runner, in a log file the user can find
// whoever started it. The runner shows no messages; this is where its faults go.
#include <QString>

namespace corvane {

void logLine(const QString& text);

// From now on every line is also appended to `path` (its folders are made, private to the
// user). A file that would grow past kLogFileLimit bytes becomes `path` + ".1", replacing
// the previous one, and a fresh file is begun. A file that cannot be written is skipped.
void logAlsoToFile(const QString& path);
inline constexpr qint64 kLogFileLimit = 1024 * 1024;

// $XDG_STATE_HOME/corvane/corvane_110.log, where XDG_STATE_HOME is ~/.local/state when unset
// or not an absolute path.
QString runnerLogPath();

} // namespace corvane
