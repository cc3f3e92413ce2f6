#pragma once
// Asks a display server whether it takes a client now, without Qt (whose failure to connect
// ends the process).
#include <QByteArray>

namespace corvane {

// The X server named like DISPLAY completes a connection set-up with us, authorisation
// included (one that refuses us is as useless as none).
bool xDisplayAnswers(const QByteArray& display);

// A Wayland compositor listens on the socket named like WAYLAND_DISPLAY: a name relative to
// XDG_RUNTIME_DIR, or an absolute path.
bool waylandDisplayAnswers(const QByteArray& name);

} // namespace corvane
