#include "x11onwayland.h"

#include <QGuiApplication>
#include <QtGlobal>

#include "log.h"

#if defined(Q_OS_LINUX)
#include "displaychoice.h"
#include "displayprobe.h"
#endif

namespace corvane {

namespace {
bool& chosenHere()
{
    static bool chosen = false;
    return chosen;
}
} // namespace

bool chooseDisplayPlatform()
{
#if defined(Q_OS_LINUX)
    const DisplayEnvironment environment{qgetenv("QT_QPA_PLATFORM"), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"),
                                         !qEnvironmentVariableIsEmpty("WAYLAND_SOCKET")};
    const DisplayChoice choice = chooseDisplay(environment, {xDisplayAnswers, waylandDisplayAnswers});
    if (!choice.canRun()) {
        logLine(choice.failure);
        return false;
    }
    if (!choice.platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", choice.platform);
        chosenHere() = true;
    }
#endif
    return true;
}

void forgetPlatformChoice()
{
    if (chosenHere())
        qunsetenv("QT_QPA_PLATFORM");
    chosenHere() = false;
}

bool placementUpToCompositor() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

} // namespace corvane
