#pragma once
// One line per event or failure on stderr and, in the runner, in a log file the user can find
// whoever started it. The runner shows no messages; this is where its faults go.
#include <QString>

namespace corvane {

// A line longer than kLogLineLimit bytes (UTF-8, time stamp and newline included) is cut at a
// whole character and ends in "…".
void logLine(const QString& text);
inline constexpr qsizetype kLogLineLimit = 4096;

// From now on every line is also appended to `path` (its folders are made, private to the
// user; the file is made 0600). A file that would grow past kLogFileLimit bytes becomes
// `path` + ".1", replacing the previous one, and a fresh file is begun. A symbolic link at
// `path` is not followed. When the file cannot be written, stderr says so once and the lines
// go on to stderr only.
void logAlsoToFile(const QString& path);
inline constexpr qint64 kLogFileLimit = 1024 * 1024;

// corvane_110.log in the runner's state folder (runnerStateFolder()).
QString runnerLogPath();

} // namespace corvane
