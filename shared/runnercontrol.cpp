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

bool CloseRunner(int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(runnerSocketPath());
    if (!socket.waitForConnected(kConnectTimeoutMs))
        return false;
    socket.write(kCloseRequest);
    const QDeadlineTimer deadline(timeoutMs);
    if (!socket.waitForBytesWritten(int(deadline.remainingTime()))) {
        logLine(QStringLiteral("常駐プログラムに終了の依頼を送れませんでした: %1").arg(socket.errorString()));
        return false;
    }
    // Like SendMessage(WM_CLOSE): return only once the runner has let go of its instance.
    QByteArray answer;
    while (!answer.contains('\n')) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(deadline.remainingTime())))
            break;
        answer += socket.readAll();
    }
    if (answer.startsWith(kClosedAnswer.trimmed()))
        return true;
    if (socket.state() != QLocalSocket::ConnectedState && !FindRunner()) {
        // The runner went away without answering (it died meanwhile): it is gone all the same.
        return true;
    }
    logLine(QStringLiteral("常駐プログラムが %1 ミリ秒以内に終了の依頼に答えませんでした").arg(timeoutMs));
    return false;
}

bool startProgram(const QString& programName, QString* error)
{
    const QString path = programPath(programName);
    const QFileInfo info(path);
    QString reason;
    if (!info.exists())
        reason = QStringLiteral("プログラム「%1」が見つかりません。").arg(QDir::toNativeSeparators(path));
    else if (!info.isExecutable())
        reason = QStringLiteral("プログラム「%1」を起動できません。").arg(QDir::toNativeSeparators(path));
    else if (!QProcess::startDetached(path, {}, ProgramsFolder()))
        reason = QStringLiteral("プログラム「%1」を起動できませんでした。").arg(QDir::toNativeSeparators(path));
    if (reason.isEmpty())
        return true;
    logLine(reason);
    if (error)
        *error = reason;
    return false;
}

bool StartRunner(QString* error) { return startProgram(QString::fromUtf16(kRunnerProgramName), error); }

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
