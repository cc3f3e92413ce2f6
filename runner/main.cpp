// corvane_110: the resident runner. It has no window of its own until a reminder is due.
#include <QApplication>

#include "desktopapp.h"
#include "log.h"
#include "settingspath.h"
#include "x11onwayland.h"
#include "runnerapp.h"
#include "reminderannouncer.h"

int main(int argc, char** argv)
{
    corvane::logAlsoToFile(corvane::runnerLogPath());
    if (!corvane::chooseDisplayPlatform())
        return 1;
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    corvane::setUpDesktopApplication(&app, QString::fromUtf16(corvane::kRunnerProgramName),
                                     QStringLiteral("corvane-runner"), corvane::SuiteIconAt::OwnWindows);

    corvane::RunnerApp runner([](const corvane::DisplaySettings& settings) {
        return std::make_unique<corvane::ReminderAnnouncer>(settings);
    });
    // exit(), not quit(): it also ends a start-up import's local loop before exec() runs.
    QObject::connect(&runner, &corvane::RunnerApp::closed, &app, [] { QCoreApplication::exit(0); });
    // A close request can arrive while start-up still imports the indicator calendar, before
    // the event loop runs; quit() would be lost then.
    if (!runner.Main() || runner.hasClosed())
        return 0;
    if (corvane::placementUpToCompositor())
        corvane::logLine(
            QStringLiteral("X ディスプレイがないため、お知らせ画面の位置と最前面表示はデスクトップに任されます"));
    return app.exec();
}
