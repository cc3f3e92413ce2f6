// The runner as a real process: one instance per user, the close handshake, leftovers of a
// killed runner, and an announcement at a faked time of day.
#include "log.h"
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "settingspath.h"
#include "singleinstance.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <gtest/gtest.h>

#include <csignal>
#include <unistd.h>

using namespace corvane;
using namespace corvane::test;

namespace {

class RunnerProcessTest : public ::testing::Test {
protected:
    RuntimeFolder runtime;
    TempFolder folder;
};

} // namespace

TEST_F(RunnerProcessTest, SecondRunnerEndsAtOnceAndTheFirstKeepsRunning)
{
    RunnerProcess first(folder.path());
    first.start();
    ASSERT_TRUE(first.waitForArmed()) << first.readStderr().toStdString();

    RunnerProcess second(folder.path());
    second.start();
    ASSERT_TRUE(second.waitForExit(10000));
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    EXPECT_FALSE(second.readStderr().contains("armed"));
    // The log says why this start did nothing.
    EXPECT_TRUE(QString::fromUtf8(second.readStderr()).contains(QStringLiteral("すでに実行中")));

    EXPECT_EQ(first.process().state(), QProcess::Running);
    EXPECT_TRUE(FindRunner());
    EXPECT_TRUE(CloseRunner());
    EXPECT_TRUE(first.waitForExit());
}

TEST_F(RunnerProcessTest, CloseReturnsAfterTheInstanceIsReleasedAndANewRunnerStarts)
{
    RunnerProcess first(folder.path());
    first.start();
    ASSERT_TRUE(first.waitForArmed());

    ASSERT_TRUE(CloseRunner());
    // At the sender's return the old runner holds nothing any more, even if its process is
    // still on its way out.
    SingleInstance probe(QStringLiteral("corvane_110"));
    EXPECT_TRUE(probe.tryAcquire());
    probe.release();
    EXPECT_FALSE(FindRunner());
    EXPECT_TRUE(first.waitForExit());
    EXPECT_EQ(first.process().exitCode(), 0);
    const QString log = QString::fromUtf8(first.readStderr());
    EXPECT_TRUE(log.contains(QStringLiteral("常駐を開始しました（本日の予定 0件、翌日の予定 0件）"))) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("終了の依頼を受けて終了します"))) << log.toStdString();

    RunnerProcess next(folder.path());
    next.start();
    EXPECT_TRUE(next.waitForArmed()) << next.readStderr().toStdString();
    EXPECT_TRUE(FindRunner());
    EXPECT_TRUE(CloseRunner());
    EXPECT_TRUE(next.waitForExit());
}

// Whoever started the runner, its log is in the user's state folder, and stays small.
TEST_F(RunnerProcessTest, TheLogGoesToStderrAndToAFileThatIsKeptSmall)
{
    RunnerProcess runner(folder.path());
    const QString log = runner.stateFolder() + QStringLiteral("/corvane/corvane_110.log");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(log).path()));
    QFile full(log);
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    full.write(QByteArray(kLogFileLimit - 10, 'x') + '\n');
    full.close();

    runner.start();
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    ASSERT_TRUE(CloseRunner());
    ASSERT_TRUE(runner.waitForExit());
    const QString started = QStringLiteral("常駐を開始しました");
    EXPECT_TRUE(QString::fromUtf8(runner.readStderr()).contains(started));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains(started)) << text.right(300).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("終了の依頼を受けて終了します"))) << text.right(300).toStdString();
    EXPECT_FALSE(text.contains(u'x'));
    EXPECT_EQ(QFileInfo(log + QStringLiteral(".1")).size(), kLogFileLimit - 9);
}

TEST_F(RunnerProcessTest, LeftoversOfAKilledRunnerDoNotBlockTheNext)
{
    RunnerProcess killed(folder.path());
    killed.start();
    ASSERT_TRUE(killed.waitForArmed());
    ::kill(pid_t(killed.process().processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForExit());
    EXPECT_TRUE(QFile::exists(runnerSocketPath())) << "a killed runner leaves its socket behind";
    EXPECT_FALSE(FindRunner());

    RunnerProcess next(folder.path());
    next.start();
    ASSERT_TRUE(next.waitForArmed()) << next.readStderr().toStdString();
    EXPECT_TRUE(FindRunner());
    EXPECT_TRUE(CloseRunner());
    EXPECT_TRUE(next.waitForExit());
}

TEST_F(RunnerProcessTest, CloseWhileStartUpWaitsForTheImportEndsTheRunner)
{
    // A calendar host that takes the connection and never answers: the start-up import waits.
    QTcpServer silentHost;
    ASSERT_TRUE(silentHost.listen(QHostAddress::LocalHost));
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")),
                  {{QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                   {QStringLiteral("経済指標"), QStringLiteral("URL"),
                    QStringLiteral("http://127.0.0.1:%1/web/market/calendar/").arg(silentHost.serverPort())}});
    RunnerProcess runner(folder.path());
    runner.start();
    ASSERT_TRUE(waitUntil([] { return FindRunner(); }, 10000));

    EXPECT_TRUE(CloseRunner());
    EXPECT_FALSE(FindRunner());
    // The runner gave its instance up with its answer: it must end, not arm its timer.
    EXPECT_TRUE(runner.waitForExit(10000)) << runner.readStderr().toStdString();
    EXPECT_FALSE(runner.readStderr().contains("armed"));
}

TEST_F(RunnerProcessTest, AnotherUserCanNeitherFindNorCloseTheRunner)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "switching to another user needs root";
    RunnerProcess runner(folder.path());
    runner.start();
    ASSERT_TRUE(runner.waitForArmed());

    // The same close request as CloseRunner sends, from the unprivileged user "nobody".
    QProcess intruder;
    intruder.start(QStringLiteral("setpriv"),
                   {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
                    QStringLiteral(CORVANE_PYTHON), QStringLiteral("-c"),
                    QStringLiteral("import socket, sys\n"
                                   "s = socket.socket(socket.AF_UNIX)\n"
                                   "s.connect(sys.argv[1])\n"
                                   "s.sendall(b'close\\n')\n"
                                   "print(s.recv(16))\n"),
                    runnerSocketPath()});
    ASSERT_TRUE(intruder.waitForFinished(10000));
    EXPECT_NE(intruder.exitCode(), 0) << intruder.readAllStandardOutput().toStdString();
    EXPECT_TRUE(intruder.readAllStandardError().contains("Permission denied"));

    EXPECT_EQ(runner.process().state(), QProcess::Running);
    EXPECT_TRUE(FindRunner());
    EXPECT_TRUE(CloseRunner());
    EXPECT_TRUE(runner.waitForExit());
}

TEST_F(RunnerProcessTest, StartRunnerStartsTheProgramOfTheProgramsFolder)
{
    RunnerProcess::install(folder.path());
    setProgramsFolderOverride(folder.path());
    QString error;
    EXPECT_TRUE(StartRunner(&error)) << error.toStdString();
    setProgramsFolderOverride({});
    EXPECT_TRUE(waitUntil([] { return FindRunner(); }, 10000));
    EXPECT_TRUE(CloseRunner());
}

TEST_F(RunnerProcessTest, DueEntryIsAnnouncedAtItsSecond)
{
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")),
                  {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("朝会")},
                   {QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("3")},
                   // The announcement hands its text to speech: a trace outside the window.
                   {QStringLiteral("サウンド"), QStringLiteral("音声"), QStringLiteral("1")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声TXT"), folder.file(QStringLiteral("spoken.txt"))}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 08:59:58"));
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    EXPECT_TRUE(waitUntil([&] { return folder.readBytes(QStringLiteral("spoken.txt")) == toCp932(QStringLiteral("\"朝会\n\"\r\n")); },
                          8000))
        << runner.readStderr().toStdString();
    EXPECT_TRUE(CloseRunner());
    EXPECT_TRUE(runner.waitForExit());
}
