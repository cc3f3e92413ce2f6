// corvane_110: the resident runner. It opens no display: each reminder is shown by the window
// program it starts beside it, so nothing a window does can stop its clock.
#include <QCoreApplication>

#include "log.h"
#include "runnerapp.h"
#include "settingspath.h"
#include "windowprogramannouncer.h"

int main(int argc, char** argv)
{
    corvane::logAlsoToFile(corvane::runnerLogPath());
    QCoreApplication app(argc, argv);

    corvane::RunnerApp runner([](const corvane::DisplaySettings& settings) {
        return std::make_unique<corvane::WindowProgramAnnouncer>(settings);
    });
    // exit(), not quit(): it also ends a start-up import's local loop before exec() runs.
    QObject::connect(&runner, &corvane::RunnerApp::closed, &app, [] { QCoreApplication::exit(0); });
    // A close request can arrive while start-up still imports the indicator calendar, before
    // the event loop runs; quit() would be lost then.
    if (!runner.Main() || runner.hasClosed())
        return 0;
    return app.exec();
}
