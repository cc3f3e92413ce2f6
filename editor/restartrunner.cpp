#include "restartrunner.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include "log.h"
#include "runnercontrol.h"

namespace corvane::editor {

bool RestartRunner(QString* error, int pauseMs)
{
    if (!FindRunner())
        return true;
    // CloseRunner returns only after the old runner has released its instance, so the new
    // one does not find it still there and end itself.
    if (!CloseRunner()) {
        const QString reason = QStringLiteral("実行中のcorvane_110が終了しませんでした");
        logLine(reason);
        if (error)
            *error = reason;
        return false;
    }
    QCoreApplication::processEvents();
    // Pending events keep being handled during the pause.
    QEventLoop pause;
    QTimer::singleShot(pauseMs, &pause, &QEventLoop::quit);
    pause.exec();

    QString reason;
    if (!StartRunner(&reason)) {
        logLine(QStringLiteral("corvane_110を起動できませんでした: ") + reason);
        if (error)
            *error = reason;
        return false;
    }
    return true;
}

} // namespace corvane::editor
