// corvane_110: the resident runner. It has no window of its own until a reminder is due.
#include <QApplication>

#include "appfonts.h"
#include "runnerapp.h"
#include "reminderannouncer.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    corvane::applyUiFont();

    corvane::RunnerApp runner([](const corvane::DisplaySettings& settings) {
        return std::make_unique<corvane::ReminderAnnouncer>(settings);
    });
    // exit(), not quit(): a close request may be answered inside the start-up import's wait,
    // before the main event loop runs, and that wait must end too.
    QObject::connect(&runner, &corvane::RunnerApp::closed, &app, [] { QCoreApplication::exit(0); });
    if (!runner.Main())
        return 0;
    return app.exec();
}
