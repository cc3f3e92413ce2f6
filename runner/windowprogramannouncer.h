#pragma once
// The runner's Announcer: the announcement runs here, on the runner's clock (display time,
// sound repetitions, speech), while its window and sound are another process's, the window
// program. That program is started ahead of a reminder and told over a pipe what to show, so
// nothing a window does (a hang in the display library, a crash) can stop the one-second check.
//
// A program that cannot be started, ends while it should show a message, or does not report
// the window shown (or hidden) within kWindowProgramAnswerMs is logged and ended; the message on
// screen is then shown in a fresh program at once, once per announcement.
#include <QObject>
#include <QProcess>
#include <QTimer>
#include <memory>
#include <vector>

#include "announcement.h"
#include "announcer.h"
#include "displaysettings.h"
#include "windowprotocol.h"

namespace corvane {

inline constexpr int kWindowProgramAnswerMs = 2000;

class WindowProgramAnnouncer final : public QObject, public Announcer, public AnnouncementOutput {
    Q_OBJECT
public:
    // `program`: the window program, by default the one beside the running program.
    explicit WindowProgramAnnouncer(const DisplaySettings& settings, const QString& program = {});
    // Ends the window program, with its window and sound.
    ~WindowProgramAnnouncer() override;

    void announce(const QString& message) override;
    bool isAnnouncing() const override { return m_announcement->isActive(); }
    // Ready: a program started with the look; released: a program not showing anything is told
    // to end (it plays its sound to the end first).
    void setReady(bool ready) override;

    // The running window program's process id, 0 for none.
    qint64 programId() const;
    // The program has reported its window on screen and not hidden it since.
    bool isShown() const { return m_shown; }

signals:
    // For tests and benchmarks: the program reported its window on screen, or hidden.
    void shown();
    void closed();
    // The program has applied the look and made its window ready off screen.
    void programReady();

private:
    void showReminder(const QString& caption, const QString& message) override;
    void playSound() override;
    void speak(const QString& message) override;
    void closeReminder() override;

    void startProgram();
    void send(const QByteArray& line);
    void expectAnswer(const QByteArray& answer);
    void onOutput();
    void onAnswer(const QByteArray& line);
    void onErrorOccurred(QProcess::ProcessError error);
    void onFinished(int exitCode, QProcess::ExitStatus status);
    void onAnswerLate();
    // Logs why the program failed, ends it, and shows the message on screen in a fresh one
    // when this announcement has not had its second chance yet.
    void programFailed(const QString& why);
    void endProgram();

    QString m_programPath;
    WindowProgramLook m_look;
    ReminderPlan m_plan;
    EventLoopTimeSource m_time;
    std::unique_ptr<Announcement> m_announcement;

    std::unique_ptr<QProcess> m_program;
    QByteArray m_received;
    // Programs told to end, playing their sound to its end; killed with the runner.
    std::vector<std::unique_ptr<QProcess>> m_leaving;
    // The answer the runner waits for (empty for none), and its deadline.
    QByteArray m_awaited;
    QTimer m_answerDeadline;
    bool m_shown = false;

    // What the window should show now (between a show and its close), for a fresh program.
    bool m_onScreen = false;
    QString m_caption;
    QString m_message;
    // The message of the latest announce(), which a snooze asks to see again.
    QString m_announced;
    bool m_secondChanceUsed = false;
    // The running program has answered at least once (it could start and open its display).
    bool m_programAnswered = false;
    // A program failed without ever answering: none is started ahead before the next
    // announcement.
    bool m_holdPreparation = false;
};

} // namespace corvane
