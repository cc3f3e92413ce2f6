#pragma once
// Waits for a calendar import to end, whether it runs in this process or as a program of its
// own: `Job` has start() and a finished(bool ok, const QString& reason) signal that comes
// exactly once per start(). The wait is a local event loop that handles no user input, so
// timers, sockets and processes (a close request among them) go on meanwhile.
#include <QEventLoop>
#include <QObject>
#include <QString>

namespace corvane {

template <typename Job>
bool waitForImport(Job& job, QString* reason)
{
    QEventLoop loop;
    bool done = false;
    bool result = false;
    QString why;
    QObject::connect(&job, &Job::finished, &loop, [&](bool ok, const QString& said) {
        result = ok;
        why = said;
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    // The application quitting ends every event loop, this one included: the job is stopped
    // with its object, and nothing that is not whole has been written.
    if (!done)
        why = QStringLiteral("経済指標カレンダーの取り込みを中断しました");
    if (reason)
        *reason = why;
    return done && result;
}

} // namespace corvane
