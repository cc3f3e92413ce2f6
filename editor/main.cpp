#include <QApplication>

#include "appfonts.h"
#include "editorsession.h"
#include "settingspath.h"
#include "singleinstance.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf16(corvane::kEditorProgramName));
    corvane::SingleInstance instance(QString::fromUtf16(corvane::kEditorProgramName));
    if (!instance.tryAcquire())
        return 0;
    corvane::applyUiFont();
    corvane::editor::EditorSession session;
    session.start();
    return app.exec();
}
