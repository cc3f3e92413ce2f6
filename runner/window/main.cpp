// corvane_reminder: shows the runner's reminders. The runner starts it shortly before a reminder
// is due and talks to it over its stdin and stdout; it is never started by the user.
#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

#include "desktopapp.h"
#include "log.h"
#include "reminderwindowsession.h"
#include "settingspath.h"
#include "x11onwayland.h"

namespace {

// One line to the runner, whole. A runner gone by now reads nothing: its end of the pipe is
// closed, and the input's end ends this program too.
void replyToRunner(const QByteArray& line)
{
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, line.constData() + written, size_t(line.size() - written));
        if (n <= 0)
            return;
        written += n;
    }
}

} // namespace

int main(int argc, char** argv)
{
    // A write to a runner that has gone must not end the program before its sound has played.
    std::signal(SIGPIPE, SIG_IGN);
    corvane::logAlsoToFile(corvane::runnerLogPath());
    if (!corvane::chooseDisplayPlatform())
        return 1;
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    corvane::setUpDesktopApplication(&app, QString::fromUtf16(corvane::kRunnerProgramName),
                                     QStringLiteral("corvane-runner"), corvane::SuiteIconAt::None);
    if (corvane::placementUpToCompositor())
        corvane::logLine(
            QStringLiteral("X ディスプレイがないため、お知らせ画面の位置と最前面表示はデスクトップに任されます"));

    corvane::ReminderWindowSession session(replyToRunner);
    QObject::connect(&session, &corvane::ReminderWindowSession::finished, &app, [] { QCoreApplication::exit(0); });

    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            return;
        if (n <= 0) {
            input.setEnabled(false);
            session.endOfInput();
            return;
        }
        pending.append(buffer, n);
        for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
            session.handleLine(pending.left(end));
            pending.remove(0, end + 1);
        }
    });
    return app.exec();
}
