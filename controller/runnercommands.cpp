#include "runnercommands.h"

#include "runnercontrol.h"
#include "settingspath.h"

namespace corvane::controller {

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
