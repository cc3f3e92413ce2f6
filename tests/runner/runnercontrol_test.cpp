// The control channel in one process: the runner side lives on its own thread, as it would in
// its own process, because the client blocks like SendMessage does.
#include "runnercontrol.h"
#include "settingspath.h"
#include "singleinstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QThread>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "stderrcapture.h"

#include <atomic>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace corvane;

namespace {

// A private runtime folder per test, so no real runner is ever met.
class RuntimeFolder {
public:
    RuntimeFolder()
    {
        QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_old = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    }
    ~RuntimeFolder() { qputenv("XDG_RUNTIME_DIR", m_old); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// The runner's side of the handshake on a thread of its own.
class ServerThread : public QThread {
public:
    explicit ServerThread(int requestTimeoutMs = kControlRequestTimeoutMs) : m_requestTimeoutMs(requestTimeoutMs) {}
    ~ServerThread() override
    {
        quit(); // when a failed test left it running
        wait();
    }
    std::atomic<bool> listening{false};
    std::atomic<bool> lockHeldWhenAnswering{true};

    // Starts the thread and waits until it listens.
    bool startListening()
    {
        start();
        while (!listening && !isFinished())
            QThread::msleep(5);
        return listening;
    }

protected:
    void run() override
    {
        SingleInstance instance(QStringLiteral("corvane_110"));
        if (!instance.tryAcquire())
            return;
        RunnerControlServer server(m_requestTimeoutMs);
        if (!server.listen())
            return;
        QObject::connect(&server, &RunnerControlServer::closeRequested, &server, [&] {
            instance.release();
            lockHeldWhenAnswering = instance.isHeld();
            server.finishClose();
            quit();
        });
        listening = true;
        exec();
    }

private:
    int m_requestTimeoutMs;
};

// A client socket not yet connected: made while descriptors are still to be had.
SocketHandle unconnectedSocket() { return SocketHandle(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)); }

bool connectTo(const SocketHandle& socket, const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), size_t(name.size()));
    return ::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

// True when the runner has closed the connection (a reset when it left bytes unread); waits up
// to `waitMs` for it.
bool closedByRunner(const SocketHandle& socket, int waitMs)
{
    pollfd entry{socket.fd(), POLLIN, 0};
    if (::poll(&entry, 1, waitMs) != 1)
        return false;
    char byte = 0;
    const ssize_t n = ::recv(socket.fd(), &byte, 1, MSG_DONTWAIT);
    return n == 0 || (n < 0 && errno == ECONNRESET);
}

} // namespace

TEST(RunnerControl, FindAndCloseFollowTheInstance)
{
    RuntimeFolder runtime;
    EXPECT_FALSE(FindRunner());
    EXPECT_EQ(StopRunner(500), RunnerStop::NoneRunning);

    ServerThread runner;
    ASSERT_TRUE(runner.startListening());

    EXPECT_TRUE(FindRunner());
    SingleInstance second(QStringLiteral("corvane_110"));
    EXPECT_FALSE(second.tryAcquire()) << "a second instance must be refused while the first runs";

    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    // The sender returns only after the runner has let go: a new instance gets the lock at once.
    EXPECT_TRUE(second.tryAcquire());
    EXPECT_FALSE(runner.lockHeldWhenAnswering);
    EXPECT_FALSE(FindRunner());
    runner.wait();
}

// A runner that takes the request but never answers (hung) is told apart from none running,
// and a restart then starts nothing: a new runner would only find the old one and end.
TEST(RunnerControl, AHungRunnerIsNotTakenForGone)
{
    RuntimeFolder runtime;
    QTemporaryDir programs;
    setProgramsFolderOverride(programs.path());
    QLocalServer hung;
    ASSERT_TRUE(hung.listen(runnerSocketPath()));

    EXPECT_EQ(StopRunner(300), RunnerStop::StillRunning);
    // None of these outcomes waits for a pause: each is told at once.
    const auto restart = [](RestartWhen when) {
        RunnerRestart told{RunnerRestart::Restarted};
        QObject context;
        RestartRunner(when, &context, [&](const RunnerRestart& result) { told = result; });
        return told;
    };
    const RunnerRestart hungRestart = restart(RestartWhen::Always);
    EXPECT_EQ(hungRestart.outcome, RunnerRestart::StillRunning);
    EXPECT_FALSE(hungRestart.message().isEmpty());

    hung.close();
    EXPECT_EQ(restart(RestartWhen::IfRunning).outcome, RunnerRestart::NotRunning);
    EXPECT_EQ(restart(RestartWhen::Always).outcome, RunnerRestart::ProgramMissing);
    setProgramsFolderOverride({});
}

TEST(RunnerControl, LeftoverSocketFileDoesNotBlockListening)
{
    RuntimeFolder runtime;
    // A file left where the socket lives, as a killed runner leaves it.
    QFile leftover(runnerSocketPath());
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    EXPECT_FALSE(FindRunner());

    SingleInstance instance(QStringLiteral("corvane_110"));
    ASSERT_TRUE(instance.tryAcquire());
    RunnerControlServer server;
    QString error;
    EXPECT_TRUE(server.listen(&error)) << error.toStdString();
}

TEST(RunnerControl, StartProgramReportsAMissingProgram)
{
    QTemporaryDir folder;
    setProgramsFolderOverride(folder.path());
    QString error;
    EXPECT_FALSE(StartRunner(&error));
    EXPECT_TRUE(error.contains(QStringLiteral("見つかりません"))) << error.toStdString();
    setProgramsFolderOverride({});
}

TEST(RunnerControl, InstancesOfDifferentProgramsDoNotMeet)
{
    RuntimeFolder runtime;
    SingleInstance runner(QStringLiteral("corvane_110"));
    SingleInstance editor(QStringLiteral("corvane設定"));
    EXPECT_TRUE(runner.tryAcquire());
    EXPECT_TRUE(editor.tryAcquire());
    runner.release();
    EXPECT_FALSE(runner.isHeld());
    SingleInstance again(QStringLiteral("corvane_110"));
    EXPECT_TRUE(again.tryAcquire());
}

TEST(RunnerControl, RuntimeFolderIsOnlyEverAPrivateOne)
{
    QTemporaryDir root;
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR"), oldCache = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath(QStringLiteral("cache"))));
    const QString fallback = root.filePath(QStringLiteral("cache/corvane/runtime"));
    const auto folder = [&](const QString& name, QFileDevice::Permissions mode) {
        const QString path = root.filePath(name);
        QDir().mkpath(path);
        QFile::setPermissions(path, mode);
        return path;
    };
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const QString privateOne = folder(QStringLiteral("private"), owner);
    const QString shared = folder(QStringLiteral("shared"), owner | QFile::ReadOther | QFile::ExeOther);
    QString othersOwn = folder(QStringLiteral("others"), owner);
    if (::geteuid() != 0 || ::chown(QFile::encodeName(othersOwn).constData(), 65534, 65534) != 0)
        othersOwn = shared; // only root can give a folder away
    struct Row {
        const char* what;
        QByteArray runtime;
        QString expected;
    } rows[] = {
        {"the user's own 0700 folder", QFile::encodeName(privateOne), privateOne},
        {"a folder others can enter", QFile::encodeName(shared), fallback},
        {"another user's folder", QFile::encodeName(othersOwn), fallback},
        {"no runtime folder set", QByteArray(), fallback},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.runtime.isEmpty())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", row.runtime);
        EXPECT_EQ(userRuntimeFolder(), row.expected);
        EXPECT_TRUE(runnerSocketPath().startsWith(row.expected));
    }
    EXPECT_EQ(QFileInfo(fallback).permissions() & 0x0077, QFileDevice::Permissions());
    // A fallback folder that others can enter is not used either: no folder at all.
    QFile::setPermissions(fallback, owner | QFile::ReadOther | QFile::ExeOther);
    qunsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(userRuntimeFolder(), QString());
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_CACHE_HOME", oldCache);
}

// Connections that send no proper request are closed, so that they cannot pile up.
TEST(RunnerControl, AConnectionWithoutARequestIsClosed)
{
    const struct {
        const char* what;
        QByteArray sent;
    } rows[] = {
        {"silent past the request time", {}},
        {"2 KiB without a newline", QByteArray(2048, 'c')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        RuntimeFolder runtime;
        ServerThread runner;
        ASSERT_TRUE(runner.startListening());
        const SocketHandle client = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(5000));
        ASSERT_TRUE(client.isValid());
        sendAll(client.fd(), row.sent, QDeadlineTimer(5000));
        EXPECT_TRUE(closedByRunner(client, 30000));
        EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    }
}

// Idle connections cannot keep the user from closing the runner, nor hold more than a few of its
// descriptors: the oldest waiting one makes room for a new one.
TEST(RunnerControl, TheOldestWaitingConnectionMakesRoomForANewOne)
{
    RuntimeFolder runtime;
    ServerThread runner(600000); // none expires during the test
    ASSERT_TRUE(runner.startListening());
    test::StderrCapture logged;
    // One more than the 8 that may wait.
    std::vector<SocketHandle> idle;
    for (int i = 0; i < 9; ++i) {
        idle.push_back(connectLocalSocket(runnerSocketPath(), QDeadlineTimer(5000)));
        ASSERT_TRUE(idle.back().isValid());
    }
    // A wrong request, closed when read: by then the runner has taken every connection before it.
    const SocketHandle probe = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(5000));
    ASSERT_TRUE(sendAll(probe.fd(), "open\n", QDeadlineTimer(5000)));
    ASSERT_TRUE(closedByRunner(probe, 30000));
    for (std::size_t i = 0; i < idle.size(); ++i) {
        SCOPED_TRACE(i);
        // The first two gave way to the last idle one and to the probe.
        EXPECT_EQ(closedByRunner(idle[i], 0), i < 2);
    }
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    // Nothing was turned away for want of descriptors.
    EXPECT_EQ(logged.lines().filter(QStringLiteral("開けるファイルの数")).size(), 0);
}

// With every descriptor of the process taken, a connection is turned away at once (it used to
// stay in the queue while the listener woke the event loop without end), and close requests are
// answered again as soon as descriptors are free.
TEST(RunnerControl, AtTheDescriptorLimitAConnectionIsTurnedAwayAndCloseStillWorks)
{
    RuntimeFolder runtime;
    ServerThread runner;
    ASSERT_TRUE(runner.startListening());
    test::StderrCapture logged;
    std::vector<SocketHandle> clients;
    clients.push_back(unconnectedSocket());
    clients.push_back(unconnectedSocket());
    const SocketHandle devNull(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    rlimit original{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &original), 0);
    rlimit low = original;
    low.rlim_cur = 256;
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &low), 0);
    std::vector<SocketHandle> filler;
    for (SocketHandle fd(::dup(devNull.fd())); fd.isValid(); fd = SocketHandle(::dup(devNull.fd())))
        filler.push_back(std::move(fd));
    for (const SocketHandle& client : clients) {
        ASSERT_TRUE(connectTo(client, runnerSocketPath()));
        EXPECT_TRUE(closedByRunner(client, 30000));
    }
    filler.clear();
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &original), 0);
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_EQ(logged.lines().filter(QStringLiteral("開けるファイルの数が上限")).size(), 1);
}

// A client meeting a full queue waits for room until its deadline; it used to be handed a socket
// that was never connected, and a close request sent on it was lost.
TEST(RunnerControl, AClientMeetingAFullQueueGetsOnlyARealConnection)
{
    RuntimeFolder runtime;
    QString error;
    const SocketHandle listener = listenLocalSocket(runnerSocketPath(), &error); // never accepts
    ASSERT_TRUE(listener.isValid()) << error.toStdString();
    std::vector<SocketHandle> queued;
    for (int i = 0; i < 64; ++i) {
        SocketHandle client = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(50));
        if (!client.isValid())
            break;
        queued.push_back(std::move(client));
    }
    EXPECT_LT(queued.size(), 64u);
    for (const SocketHandle& client : queued)
        EXPECT_TRUE(sendAll(client.fd(), "close\n", QDeadlineTimer(1000)));
    // Out of time before trying: no wait without end either.
    EXPECT_FALSE(connectLocalSocket(runnerSocketPath(), QDeadlineTimer(0)).isValid());
    // A place taken from the queue lets the next one in.
    SocketHandle(::accept(listener.fd(), nullptr, nullptr)).reset();
    const SocketHandle next = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(5000));
    ASSERT_TRUE(next.isValid());
    EXPECT_TRUE(sendAll(next.fd(), "close\n", QDeadlineTimer(1000)));
}

// Only "close\n" closes the runner: anything else is refused, the connection closed without an
// answer, and the runner listens on. Its socket is the user's alone (mode 0600).
TEST(RunnerControl, AWrongRequestIsRefusedAndTheRunnerListensOn)
{
    RuntimeFolder runtime;
    ServerThread runner;
    ASSERT_TRUE(runner.startListening());
    struct stat socketFile {};
    ASSERT_EQ(::stat(QFile::encodeName(runnerSocketPath()).constData(), &socketFile), 0);
    EXPECT_EQ(socketFile.st_mode & 07777, 0600u);
    const QByteArray wrong[] = {"open\n", "closed\n", "close \n", "CLOSE\n", "close\r\n", "\n"};
    for (const QByteArray& request : wrong) {
        SCOPED_TRACE(request.toStdString());
        const SocketHandle client = connectLocalSocket(runnerSocketPath(), QDeadlineTimer(5000));
        ASSERT_TRUE(client.isValid());
        ASSERT_TRUE(sendAll(client.fd(), request, QDeadlineTimer(5000)));
        EXPECT_TRUE(closedByRunner(client, 30000));
        EXPECT_TRUE(runner.isRunning());
        EXPECT_TRUE(FindRunner());
    }
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
}

// A process of another user is refused even where the file system would let it reach the socket
// (the folder and the socket opened up here on purpose): the runner asks the kernel who called.
TEST(RunnerControl, AClientOfAnotherUserIsRefused)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root, to connect as another user (uid 65534)";
    RuntimeFolder runtime;
    ServerThread runner;
    ASSERT_TRUE(runner.startListening());
    test::StderrCapture logged;
    const QByteArray socketPath = QFile::encodeName(runnerSocketPath());
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(socketPath.constData(), 0666), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Only async-signal-safe calls from here: the parent has threads.
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(10);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, socketPath.constData(), size_t(socketPath.size()));
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            ::_exit(11);
        (void)::send(fd, "close\n", 6, MSG_NOSIGNAL); // the runner may have closed it already
        char answer[16];
        pollfd entry{fd, POLLIN, 0};
        if (::poll(&entry, 1, 30000) != 1)
            ::_exit(12);
        const ssize_t n = ::read(fd, answer, sizeof answer);
        ::_exit(n > 0 ? 13 : 0); // 0: closed without an answer
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(runner.isRunning());
    // Private again, so that the user's own close finds the runner there.
    ASSERT_EQ(::chmod(QFile::encodeName(runtime.path()).constData(), 0700), 0);
    EXPECT_EQ(logged.lines().filter(QStringLiteral("ほかの利用者からの接続を断りました")).size(), 1);
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
}
