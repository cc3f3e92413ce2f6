#pragma once
// The hand-off to the user's speech program: the message written to the text file as one
// CP932 record (double quote, message, double quote, CR LF), then each non-empty command line
// started in slot order as an independent process, split into program and arguments (never
// through a shell), without waiting.
#include <QByteArray>
#include <QString>
#include <array>

namespace corvane {

// The bytes of the text file for `message`.
QByteArray speechRecord(const QString& message);

// Writes the text file (when `textPath` is not empty) and starts the commands. Failures are
// logged, one line each; a failed file write does not stop the commands. Returns the number of
// commands started.
int handToSpeech(const QString& message, const QString& textPath, const std::array<QString, 3>& commands);

} // namespace corvane
