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

#include <atomic>
#include <unistd.h>

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
    std::atomic<bool> listening{false};
    std::atomic<bool> lockHeldWhenAnswering{true};

protected:
    void run() override
    {
        SingleInstance instance(QStringLiteral("corvane_110"));
        if (!instance.tryAcquire())
            return;
        RunnerControlServer server;
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
};

} // namespace

TEST(RunnerControl, FindAndCloseFollowTheInstance)
{
    RuntimeFolder runtime;
    EXPECT_FALSE(FindRunner());
    EXPECT_EQ(StopRunner(500), RunnerStop::NoneRunning);

    ServerThread runner;
    runner.start();
    while (!runner.listening && !runner.isFinished())
        QThread::msleep(5);
    ASSERT_TRUE(runner.listening);

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
    const RunnerRestart restart = RestartRunner(RestartWhen::Always, 0);
    EXPECT_EQ(restart.outcome, RunnerRestart::StillRunning);
    EXPECT_FALSE(restart.message().isEmpty());

    hung.close();
    EXPECT_EQ(RestartRunner(RestartWhen::IfRunning, 0).outcome, RunnerRestart::NotRunning);
    EXPECT_EQ(RestartRunner(RestartWhen::Always, 0).outcome, RunnerRestart::ProgramMissing);
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
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    qputenv("XDG_CACHE_HOME", oldCache);
}
