#include "restartrunner.h"

#include <QCoreApplication>
#include <QThread>

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
    // A plain sleep, not an event loop: no click (the close box, "登録完了" again) can run
    // between closing the old runner and starting the new one.
    QThread::msleep(static_cast<unsigned long>(pauseMs));

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
