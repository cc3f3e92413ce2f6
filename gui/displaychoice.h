#pragma once
// Which display a program opens. A Qt program whose display does not answer aborts before it
// can say anything, so the choice is made, and a failure explained, before Qt is started.
#include <QByteArray>
#include <QString>
#include <functional>

namespace corvane {

// The environment that names the displays, as the user's session set it.
struct DisplayEnvironment {
    QByteArray platform;       // QT_QPA_PLATFORM
    QByteArray xDisplay;       // DISPLAY
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    // WAYLAND_SOCKET: a compositor that starts a program may hand it a connected socket.
    bool waylandSocketHanded = false;
};

// Whether a display of that name accepts a connection now.
struct DisplayProbes {
    std::function<bool(const QByteArray&)> xAnswers;
    std::function<bool(const QByteArray&)> waylandAnswers;
};

struct DisplayChoice {
    // The platform to run on; empty leaves Qt's own choice (or the user's) in force.
    QByteArray platform;
    // Why no display can be opened; empty when one can.
    QString failure;
    bool canRun() const { return failure.isEmpty(); }
};

// X when it answers (a Wayland client can neither place its windows nor keep them on top),
// otherwise Wayland when it answers. A platform the user chose is kept; when it is X or Wayland
// and does not answer, that is the failure.
DisplayChoice chooseDisplay(const DisplayEnvironment& environment, const DisplayProbes& probes);

} // namespace corvane
