#include "runnercontrol.h"

#include "log.h"
#include "settingspath.h"
#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvane {

namespace {

const QByteArray kCloseRequest = QByteArrayLiteral("close\n");
const QByteArray kClosedAnswer = QByteArrayLiteral("closed\n");
constexpr int kConnectTimeoutMs = 1000;

constexpr qsizetype kRequestLimit = 64;

} // namespace

QString runnerSocketPath()
{
    const QString folder = userRuntimeFolder();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QString::fromUtf16(kRunnerWindowTitle));
}

bool FindRunner() { return connectLocalSocket(runnerSocketPath(), QDeadlineTimer(kConnectTimeoutMs)).isValid(); }

RunnerStop StopRunner(int timeoutMs)
{
    const SocketHandle socket = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(kConnectTimeoutMs));
    if (!socket.isValid())
        return RunnerStop::NoneRunning;
    const QDeadlineTimer deadline(timeoutMs);
    if (!sendAll(socket.fd(), kCloseRequest, deadline)) {
        logLine(QStringLiteral("常駐プログラムに終了の依頼を送れませんでした: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(errno))));
        return RunnerStop::StillRunning;
    }
    const QByteArray answer = receiveLine(socket.fd(), kRequestLimit, deadline);
    if (answer == kClosedAnswer)
        return RunnerStop::Stopped;
    if (!answer.endsWith('\n') && !deadline.hasExpired() && !FindRunner()) {
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

namespace {

RunnerRestart startRunnerProgram()
{
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

} // namespace

void RestartRunner(RestartWhen when, QObject* context, std::function<void(const RunnerRestart&)> done, int pauseMs)
{
    switch (StopRunner()) {
    case RunnerStop::NoneRunning:
        if (when == RestartWhen::IfRunning) {
            done({RunnerRestart::NotRunning});
            return;
        }
        done(startRunnerProgram());
        return;
    case RunnerStop::StillRunning:
        // A runner started now would find the old one and end itself.
        done({RunnerRestart::StillRunning});
        return;
    case RunnerStop::Stopped:
        QTimer::singleShot(std::max(pauseMs, 0), context, [done = std::move(done)] { done(startRunnerProgram()); });
        return;
    }
}

struct RunnerControlServer::Connection {
    SocketHandle socket;
    QSocketNotifier* notifier = nullptr;
    QDeadlineTimer expires;
    QByteArray received;
    bool closeRequested = false;
};

namespace {

// Accepted per wake-up at most: a neighbour connecting without pause must not keep the event
// loop, and with it the second's check, from running.
constexpr int kAcceptsPerWakeUp = 32;

// Later: a notifier may be let go of inside its own signal.
void retire(QSocketNotifier*& notifier)
{
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier->deleteLater();
    notifier = nullptr;
}

SocketHandle openSpare() { return SocketHandle(::open("/dev/null", O_RDONLY | O_CLOEXEC)); }

} // namespace

RunnerControlServer::RunnerControlServer(int requestTimeoutMs, QObject* parent)
    : QObject(parent), m_requestTimeoutMs(requestTimeoutMs), m_expiry(new QTimer(this))
{
    m_expiry->setSingleShot(true);
    connect(m_expiry, &QTimer::timeout, this, &RunnerControlServer::dropExpired);
}

RunnerControlServer::~RunnerControlServer()
{
    stop();
    while (!m_connections.empty())
        drop(m_connections.back().get());
}

bool RunnerControlServer::listen(QString* error)
{
    stop();
    const QString path = runnerSocketPath();
    QString reason;
    if (!path.isEmpty()) {
        // The caller holds the instance lock, so a file here is a dead runner's leftover.
        struct stat st {};
        const QByteArray name = QFile::encodeName(path);
        if (::lstat(name.constData(), &st) == 0 && !S_ISDIR(st.st_mode))
            ::unlink(name.constData());
        m_listener = listenLocalSocket(path, &reason);
    } else {
        reason = QStringLiteral("自分専用の作業フォルダーがありません");
    }
    if (!m_listener.isValid()) {
        reason = QStringLiteral("常駐プログラムの接続口 %1: %2").arg(path, reason);
        logLine(reason);
        if (error)
            *error = reason;
        return false;
    }
    m_path = path;
    m_spare = openSpare();
    m_listenerNotifier = new QSocketNotifier(m_listener.fd(), QSocketNotifier::Read, this);
    connect(m_listenerNotifier, &QSocketNotifier::activated, this, &RunnerControlServer::onNewConnection);
    return true;
}

void RunnerControlServer::stop()
{
    retire(m_listenerNotifier);
    if (m_listener.isValid()) {
        m_listener.reset();
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

void RunnerControlServer::onNewConnection()
{
    for (int taken = 0; taken < kAcceptsPerWakeUp && m_listener.isValid(); ++taken) {
        SocketHandle socket(::accept4(m_listener.fd(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC));
        if (!socket.isValid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if ((errno == EMFILE || errno == ENFILE) && turnAwayWithSpare())
                continue;
            return; // EAGAIN: none waiting any more
        }
        if (!peerIsSameUser(socket.fd())) {
            logLine(QStringLiteral("常駐プログラムの接続口: ほかの利用者からの接続を断りました"));
            continue;
        }
        // Idle neighbours must not keep the user from closing the runner: the newest connection
        // is the likeliest to carry a request.
        if (m_connections.size() >= kMaxWaitingConnections)
            drop(m_connections.front().get());
        addConnection(std::move(socket));
    }
}

void RunnerControlServer::addConnection(SocketHandle socket)
{
    auto connection = std::make_unique<Connection>();
    Connection* raw = connection.get();
    raw->socket = std::move(socket);
    raw->notifier = new QSocketNotifier(raw->socket.fd(), QSocketNotifier::Read, this);
    connect(raw->notifier, &QSocketNotifier::activated, this, [this, raw] { onReadable(raw); });
    raw->expires = QDeadlineTimer(m_requestTimeoutMs);
    m_connections.push_back(std::move(connection));
    if (!m_expiry->isActive())
        m_expiry->start(m_requestTimeoutMs);
}

// Connections are kept in the order they came, all with the same time for their request: the
// first is the next to expire.
void RunnerControlServer::dropExpired()
{
    while (!m_connections.empty()) {
        Connection* first = m_connections.front().get();
        if (!first->expires.hasExpired()) {
            m_expiry->start(int(first->expires.remainingTime()));
            return;
        }
        drop(first);
    }
}

// With no descriptor left the waiting connection can be neither taken nor refused, and the
// listener wakes the event loop again and again: the spare descriptor is let go for the time it
// takes to accept that connection and close it.
bool RunnerControlServer::turnAwayWithSpare()
{
    m_spare.reset();
    SocketHandle(::accept4(m_listener.fd(), nullptr, nullptr, SOCK_CLOEXEC)).reset();
    if (!m_turnedAwayLogged) {
        m_turnedAwayLogged = true;
        logLine(QStringLiteral("常駐プログラムの接続口: 開けるファイルの数が上限に達しているため、接続を断りました"));
    }
    // Without a spare (another thread took the descriptor) nothing more can be turned away now.
    m_spare = openSpare();
    return m_spare.isValid();
}

void RunnerControlServer::onReadable(Connection* connection)
{
    char buffer[kRequestLimit + 1];
    const ssize_t n = ::recv(connection->socket.fd(), buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (n <= 0) {
        drop(connection); // gone or failed
        return;
    }
    connection->received.append(buffer, n);
    const qsizetype newline = connection->received.indexOf('\n');
    if (newline < 0) {
        if (connection->received.size() > kRequestLimit)
            drop(connection);
        return;
    }
    if (connection->received.left(newline + 1) != kCloseRequest) {
        drop(connection);
        return;
    }
    connection->closeRequested = true;
    retire(connection->notifier); // nothing more is read; the answer follows in finishClose()
    m_expiry->stop();             // and the connection waits for it
    // Stop listening before the owner lets go of the instance lock, so that our socket file is
    // gone before a new runner may create its own.
    stop();
    emit closeRequested();
}

void RunnerControlServer::drop(Connection* connection)
{
    retire(connection->notifier);
    const auto it = std::find_if(m_connections.begin(), m_connections.end(),
                                 [connection](const auto& owned) { return owned.get() == connection; });
    if (it != m_connections.end())
        m_connections.erase(it);
}

void RunnerControlServer::finishClose()
{
    const QDeadlineTimer deadline(1000);
    for (auto& connection : m_connections) {
        if (connection->closeRequested)
            sendAll(connection->socket.fd(), kClosedAnswer, deadline);
    }
    while (!m_connections.empty())
        drop(m_connections.back().get());
    stop();
}

} // namespace corvane
