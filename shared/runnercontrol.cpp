#include "runnercontrol.h"

#include "log.h"
#include "settingspath.h"
#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QThread>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace corvane {

namespace {

const QByteArray kCloseRequest = QByteArrayLiteral("close\n");
const QByteArray kClosedAnswer = QByteArrayLiteral("closed\n");
constexpr int kConnectTimeoutMs = 1000;

// The socket's folder is private already; the peer check also holds where the runtime folder
// falls back to a shared place.
bool peerIsSameUser(QLocalSocket* socket)
{
#ifdef Q_OS_LINUX
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return false;
    return credentials.uid == ::getuid();
#else
    Q_UNUSED(socket);
    return true;
#endif
}

} // namespace

QString runnerSocketPath()
{
    const QString folder = userRuntimeFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QString::fromUtf16(kRunnerWindowTitle));
}

bool FindRunner()
{
    QLocalSocket socket;
    socket.connectToServer(runnerSocketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.disconnectFromServer();
    return true;
}

RunnerStop StopRunner(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(runnerSocketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return RunnerStop::NoneRunning;
    socket.write(kCloseRequest);
    const QDeadlineTimer deadline(timeoutMs);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
        logLine(QStringLiteral("常駐プログラムに終了の依頼を送れませんでした: %1").arg(socket.errorString()));
        return RunnerStop::StillRunning;
    }
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    if (answer.startsWith(kClosedAnswer.trimmed()))
        return RunnerStop::Stopped;
    if (socket.state() != QLocalSocket::ConnectedState && !FindRunner()) {
        // The runner went away without answering (it died meanwhile): it is gone all the same.
        return RunnerStop::Stopped;
    }
    logLine(QStringLiteral("常駐プログラムが %1 ミリ秒以内に終了の依頼に答えませんでした").arg(timeoutMs));
    return RunnerStop::StillRunning;
}

namespace {

enum class ProgramStart { Started, Missing, Failed };

ProgramStart launchProgram(const QString& programName, QString* error)
{
    const QString path = programPath(programName);
    const QFileInfo info(path);
    ProgramStart result = ProgramStart::Failed;
    QString reason;
    if (!info.exists()) {
        result = ProgramStart::Missing;
        reason = QStringLiteral("プログラム「%1」が見つかりません。").arg(QDir::toNativeSeparators(path));
    } else if (!info.isExecutable()) {
        reason = QStringLiteral("プログラム「%1」を起動できません。").arg(QDir::toNativeSeparators(path));
    } else if (!QProcess::startDetached(path, {}, ProgramsFolder())) {
        reason = QStringLiteral("プログラム「%1」を起動できませんでした。").arg(QDir::toNativeSeparators(path));
    } else {
        return ProgramStart::Started;
    }
    logLine(reason);
    if (error)
        *error = reason;
    return result;
}

} // namespace

bool startProgram(const QString& programName, QString* error)
{
    return launchProgram(programName, error) == ProgramStart::Started;
}

bool StartRunner(QString* error) { return startProgram(QString::fromUtf16(kRunnerProgramName), error); }

QString RunnerRestart::message() const
{
    switch (outcome) {
    case NotRunning:
    case Restarted:
        break;
    case StillRunning:
        return QStringLiteral("実行中のcorvane_110が終了しませんでした");
    case ProgramMissing:
        return QStringLiteral("corvane_110が見つかりません");
    case StartFailed:
        return QStringLiteral("corvane_110を起動できませんでした");
    }
    return {};
}

RunnerRestart RestartRunner(RestartWhen when, int pauseMs)
{
    switch (StopRunner()) {
    case RunnerStop::NoneRunning:
        if (when == RestartWhen::IfRunning)
            return {RunnerRestart::NotRunning};
        break;
    case RunnerStop::StillRunning:
        // A runner started now would find the old one and end itself.
        return {RunnerRestart::StillRunning};
    case RunnerStop::Stopped:
        QThread::msleep(static_cast<unsigned long>(std::max(pauseMs, 0)));
        break;
    }
    switch (launchProgram(QString::fromUtf16(kRunnerProgramName), nullptr)) {
    case ProgramStart::Started:
        return {RunnerRestart::Restarted};
    case ProgramStart::Missing:
        return {RunnerRestart::ProgramMissing};
    case ProgramStart::Failed:
        break;
    }
    return {RunnerRestart::StartFailed};
}

RunnerControlServer::RunnerControlServer(QObject* parent) : QObject(parent) {}

RunnerControlServer::~RunnerControlServer() { stop(); }

bool RunnerControlServer::listen(QString* error)
{
    stop();
    const QString path = runnerSocketPath();
    // The caller holds the instance lock, so a socket file here is a dead runner's leftover.
    QLocalServer::removeServer(path);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &RunnerControlServer::onNewConnection);
    if (!m_server->listen(path)) {
        const QString reason = QStringLiteral("常駐プログラムの接続口 %1: %2").arg(path, m_server->errorString());
        logLine(reason);
        if (error)
            *error = reason;
        delete m_server;
        m_server = nullptr;
        return false;
    }
    return true;
}

void RunnerControlServer::stop()
{
    if (m_server) {
        m_server->close();
        // Later: stop() may run inside a signal of one of the server's connections.
        m_server->deleteLater();
        m_server = nullptr;
    }
}

void RunnerControlServer::onNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QLocalSocket* socket = m_server->nextPendingConnection();
        if (!peerIsSameUser(socket)) {
            logLine(QStringLiteral("常駐プログラムの接続口: ほかの利用者からの接続を断りました"));
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
            m_pendingClose.removeAll(socket);
            socket->deleteLater();
        });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > 64)
                    socket->abort();
                return;
            }
            const QByteArray line = socket->readLine(64);
            if (line != kCloseRequest) {
                socket->abort();
                return;
            }
            // Stop listening before the owner lets go of the instance lock, so that our
            // socket file is gone before a new runner may create its own.
            if (m_server)
                m_server->close();
            if (!m_pendingClose.contains(socket))
                m_pendingClose.append(socket);
            emit closeRequested();
        });
    }
}

void RunnerControlServer::finishClose()
{
    const QList<QLocalSocket*> waiting = m_pendingClose;
    m_pendingClose.clear();
    for (QLocalSocket* socket : waiting) {
        if (socket->state() != QLocalSocket::ConnectedState)
            continue;
        socket->write(kClosedAnswer);
        socket->waitForBytesWritten(1000);
        socket->disconnectFromServer();
    }
    stop();
}

} // namespace corvane
