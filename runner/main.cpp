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
    QObject::connect(&runner, &corvane::RunnerApp::closed, &app, &QCoreApplication::quit);
    if (!runner.Main())
        return 0;
    return app.exec();
}
