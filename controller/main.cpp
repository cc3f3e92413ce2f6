// corvane操作: the controller. One instance per user; a second copy ends silently.
#include <QApplication>

#include "controllerwindow.h"
#include "desktopapp.h"
#include "settingspath.h"
#include "singleinstance.h"
#include "x11onwayland.h"

int main(int argc, char** argv)
{
    // Checked before the display is opened: a second copy ends at once and shows nothing.
    corvane::SingleInstance instance(QString::fromUtf16(corvane::kControllerProgramName));
    if (!instance.tryAcquire())
        return 0;

    if (!corvane::chooseDisplayPlatform())
        return 1;
    QApplication app(argc, argv);
    corvane::setUpDesktopApplication(&app, QString::fromUtf16(corvane::kControllerProgramName),
                                     QStringLiteral("corvane-controller"));

    corvane::controller::ControllerWindow form;
    QObject::connect(&form, &corvane::controller::ControllerWindow::endRequested, &app,
                     [] { QCoreApplication::exit(0); });
    form.centreOnScreen();
    form.show();
    return app.exec();
}
