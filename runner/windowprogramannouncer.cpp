#include "windowprogramannouncer.h"

#include "clock.h"
#include "log.h"
#include "speech.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>

namespace corvane {

namespace {

// A program told to end plays its sound to the end first; one still there after this long
// (stopped, or hanging in its display) is ended.
constexpr int kLeavingLimitMs = 10 * 60 * 1000;

} // namespace

WindowProgramAnnouncer::WindowProgramAnnouncer(const DisplaySettings& settings, const QString& program)
    : m_programPath(
        program.isEmpty()
            ? QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(kReminderWindowProgramName))
            : program),
      m_plan(reminderPlanFrom(settings))
{
    m_look.look = reminderLookFrom(settings);
    // The program opens a sound output only when the announcements play one.
    if (m_plan.soundRepetitions > 0)
        m_look.soundPath = m_plan.soundPath;
    m_answerDeadline.setSingleShot(true);
    m_answerDeadline.setInterval(kWindowProgramAnswerMs);
    connect(&m_answerDeadline, &QTimer::timeout, this, &WindowProgramAnnouncer::onAnswerLate);
    m_announcement = std::make_unique<Announcement>(m_plan, m_time, *this);
}

WindowProgramAnnouncer::~WindowProgramAnnouncer()
{
    m_announcement.reset();
    // Whatever they still show or play: the runner closes, or its settings changed.
    if (m_program)
        m_leaving.push_back(std::move(m_program));
    // Each killed and reaped (a stopped one too: the kill cannot be ignored).
    for (std::unique_ptr<QProcess>& program : m_leaving) {
        program->disconnect(this);
        program->kill();
        program->waitForFinished(1000);
    }
    m_leaving.clear();
}

qint64 WindowProgramAnnouncer::programId() const { return m_program ? m_program->processId() : 0; }

void WindowProgramAnnouncer::announce(const QString& message)
{
    m_announced = message;
    m_announcement->start(reminderCaption(Clock::now()), message);
}

void WindowProgramAnnouncer::setReady(bool ready)
{
    if (ready) {
        if (!m_program && !m_holdPreparation)
            startProgram();
        return;
    }
    if (!m_program || isAnnouncing() || !m_awaited.isEmpty())
        return;
    // Its input ends: it hides what it shows and ends once its sound is silent.
    m_program->disconnect(this);
    m_program->closeWriteChannel();
    QProcess* leaving = m_program.get();
    connect(leaving, &QProcess::finished, this, [this, leaving] {
        const auto it = std::find_if(m_leaving.begin(), m_leaving.end(),
                                     [leaving](const std::unique_ptr<QProcess>& p) { return p.get() == leaving; });
        if (it != m_leaving.end()) {
            it->release()->deleteLater();
            m_leaving.erase(it);
        }
    });
    QTimer::singleShot(kLeavingLimitMs, leaving, [leaving] {
        logLine(QStringLiteral("お知らせ画面のプログラムが終わらないため終了させます"));
        leaving->kill();
    });
    m_leaving.push_back(std::move(m_program));
}

void WindowProgramAnnouncer::startProgram()
{
    m_program = std::make_unique<QProcess>();
    m_received.clear();
    m_shown = false;
    m_programAnswered = false;
    QProcess* program = m_program.get();
    // Its log lines reach the runner's stderr as they are (the log file it writes itself).
    program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(program, &QProcess::readyReadStandardOutput, this, &WindowProgramAnnouncer::onOutput);
    // Queued: a start that fails at once must not end the program inside startProgram().
    connect(
        program, &QProcess::errorOccurred, this,
        [this, program](QProcess::ProcessError error) {
            if (program == m_program.get())
                onErrorOccurred(error);
        },
        Qt::QueuedConnection);
    connect(
        program, &QProcess::finished, this,
        [this, program](int exitCode, QProcess::ExitStatus status) {
            if (program == m_program.get())
                onFinished(exitCode, status);
        },
        Qt::QueuedConnection);
    program->start(m_programPath, {});
    send(lookLine(m_look));
}

void WindowProgramAnnouncer::send(const QByteArray& line)
{
    if (m_program)
        m_program->write(line);
}

void WindowProgramAnnouncer::expectAnswer(const QByteArray& answer)
{
    m_awaited = answer;
    m_answerDeadline.start();
}

void WindowProgramAnnouncer::onOutput()
{
    m_received += m_program->readAllStandardOutput();
    for (qsizetype end = m_received.indexOf('\n'); end >= 0 && m_program; end = m_received.indexOf('\n')) {
        const QByteArray line = m_received.left(end);
        m_received.remove(0, end + 1);
        onAnswer(line);
    }
}

void WindowProgramAnnouncer::onAnswer(const QByteArray& line)
{
    m_programAnswered = true;
    const ProtocolLine answer = splitProtocolLine(line);
    if (answer.command == "ready") {
        emit programReady();
        return;
    }
    if (answer.command == "shown" || answer.command == "closed") {
        if (answer.command == m_awaited) {
            m_awaited.clear();
            m_answerDeadline.stop();
        }
        m_shown = answer.command == "shown";
        if (m_shown)
            emit shown();
        else
            emit closed();
        return;
    }
    // The user closed the window from its menu: the announcement ends (no more plays, no
    // speech still pending), and a snooze is handed on with the message that was on screen.
    if (answer.command == "dismissed") {
        m_announcement->stop();
        return;
    }
    bool ok = false;
    const int minutes = answer.argument.toInt(&ok);
    if (answer.command == "snooze" && ok && minutes > 0) {
        const QString message = m_announced;
        m_announcement->stop();
        reportSnooze(message, minutes);
        return;
    }
    logLine(
        QStringLiteral("お知らせ画面のプログラムから不明な応答がありました: %1").arg(QString::fromUtf8(line.left(80))));
}

void WindowProgramAnnouncer::onErrorOccurred(QProcess::ProcessError error)
{
    // A crash also ends it: that is told by finished.
    if (error == QProcess::FailedToStart)
        programFailed(QStringLiteral("お知らせ画面のプログラムを起動できません: %1: %2")
                          .arg(m_programPath, m_program->errorString()));
}

void WindowProgramAnnouncer::onFinished(int exitCode, QProcess::ExitStatus status)
{
    if (status == QProcess::CrashExit)
        programFailed(QStringLiteral("お知らせ画面のプログラムが異常終了しました"));
    else
        programFailed(QStringLiteral("お知らせ画面のプログラムが終了しました (終了コード %1)").arg(exitCode));
}

void WindowProgramAnnouncer::onAnswerLate()
{
    const QString what = m_awaited == "shown" ? QStringLiteral("表示") : QStringLiteral("非表示");
    programFailed(QStringLiteral("お知らせ画面のプログラムが %1 秒以内にお知らせ画面を%2にしません")
                      .arg(kWindowProgramAnswerMs / 1000)
                      .arg(what));
}

void WindowProgramAnnouncer::programFailed(const QString& why)
{
    logLine(why);
    const bool unseen = m_awaited == "shown";
    // Until the next announcement, which starts its own program, none is started ahead after
    // one that never answered: one that cannot start (no display, say) would be started again
    // at every check. One that answered before it failed is replaced ahead as usual.
    m_holdPreparation = !m_programAnswered;
    endProgram();
    if (m_onScreen && !m_secondChanceUsed) {
        m_secondChanceUsed = true;
        logLine(QStringLiteral("お知らせ画面のプログラムを起動し直して表示します"));
        startProgram();
        send(showLine(m_caption, m_message));
        expectAnswer("shown");
        return;
    }
    if (unseen)
        logLine(QStringLiteral("お知らせを表示できませんでした: %1").arg(m_message.section(u'\n', 0, 0)));
}

void WindowProgramAnnouncer::endProgram()
{
    m_awaited.clear();
    m_answerDeadline.stop();
    m_shown = false;
    if (!m_program)
        return;
    m_program->disconnect(this);
    m_program->kill();
    // Not deleted here: this may run inside one of its signals.
    m_program.release()->deleteLater();
}

void WindowProgramAnnouncer::showReminder(const QString& caption, const QString& message)
{
    m_onScreen = true;
    m_caption = caption;
    m_message = message;
    m_secondChanceUsed = false;
    m_holdPreparation = false;
    if (!m_program)
        startProgram();
    send(showLine(caption, message));
    expectAnswer("shown");
}

void WindowProgramAnnouncer::playSound() { send("play\n"); }

void WindowProgramAnnouncer::speak(const QString& message)
{
    handToSpeech(message, m_plan.speechTextPath, m_plan.speechCommands);
}

void WindowProgramAnnouncer::closeReminder()
{
    m_onScreen = false;
    if (!m_program)
        return;
    send("close\n");
    // A window not reported shown yet keeps its deadline: a failure then is one to show.
    if (m_awaited != "shown")
        expectAnswer("closed");
}

} // namespace corvane
