#include <QApplication>

#include "desktopapp.h"
#include "editorsession.h"
#include "settingspath.h"
#include "singleinstance.h"
#include "x11onwayland.h"

int main(int argc, char** argv)
{
    if (!corvane::chooseDisplayPlatform())
        return 1;
    QApplication app(argc, argv);
    corvane::SingleInstance instance(QString::fromUtf16(corvane::kEditorProgramName));
    if (!instance.tryAcquire())
        return 0;
    corvane::setUpDesktopApplication(&app, QString::fromUtf16(corvane::kEditorProgramName),
                                     QStringLiteral("corvane-editor"));
    corvane::editor::EditorSession session;
    session.start();
    return app.exec();
}
