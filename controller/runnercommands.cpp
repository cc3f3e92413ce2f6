#include "runnercommands.h"

#include "log.h"
#include "runnercontrol.h"
#include "settingspath.h"

#include <QFileInfo>

namespace corvane::controller {

bool startRunnerChecked(QString* userMessage)
{
    const QString program = programPath(QString::fromUtf16(kRunnerProgramName));
    if (!QFileInfo::exists(program)) {
        logLine(QStringLiteral("corvane_110が見つかりません: %1").arg(program));
        if (userMessage)
            *userMessage = QString::fromUtf16(kRunnerMissingMessage);
        return false;
    }
    // StartRunner logs the reason itself.
    if (!StartRunner()) {
        if (userMessage)
            *userMessage = QString::fromUtf16(kRunnerStartFailedMessage);
        return false;
    }
    return true;
}

bool startEditorChecked(QString* userMessage)
{
    if (!startProgram(QString::fromUtf16(kEditorProgramName))) {
        if (userMessage)
            *userMessage = QString::fromUtf16(kEditorMissingMessage);
        return false;
    }
    return true;
}

} // namespace corvane::controller
