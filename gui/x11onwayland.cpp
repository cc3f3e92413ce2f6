#include "x11onwayland.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace corvane {

namespace {
bool& chosenHere()
{
    static bool chosen = false;
    return chosen;
}
} // namespace

void preferX11OnWayland()
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    const bool waylandSession =
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qgetenv("XDG_SESSION_TYPE") == "wayland";
    if (!waylandSession || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", "xcb");
    chosenHere() = true;
}

void forgetPlatformChoice()
{
    if (chosenHere())
        qunsetenv("QT_QPA_PLATFORM");
    chosenHere() = false;
}

bool placementUpToCompositor() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

} // namespace corvane
