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
#include <QThread>
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
    EXPECT_FALSE(QString::fromUtf8(second.readStderr()).contains(kArmedLine));
    // The log says why this start did nothing.
    EXPECT_TRUE(QString::fromUtf8(second.readStderr()).contains(QStringLiteral("すでに実行中")));

    EXPECT_EQ(first.process().state(), QProcess::Running);
    EXPECT_TRUE(FindRunner());
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(first.waitForExit());
}

TEST_F(RunnerProcessTest, CloseReturnsAfterTheInstanceIsReleasedAndANewRunnerStarts)
{
    RunnerProcess first(folder.path());
    first.start();
    ASSERT_TRUE(first.waitForArmed());

    ASSERT_EQ(StopRunner(), RunnerStop::Stopped);
    // At the sender's return the old runner holds nothing any more, even if its process is
    // still on its way out.
    SingleInstance probe(QStringLiteral("corvane_110"));
    EXPECT_TRUE(probe.tryAcquire());
    probe.release();
    EXPECT_FALSE(FindRunner());
    EXPECT_TRUE(first.waitForExit());
    EXPECT_EQ(first.process().exitCode(), 0);
    const QString log = QString::fromUtf8(first.readStderr());
    EXPECT_TRUE(log.contains(QStringLiteral("常駐を開始しました（本日の予定 0件、翌日の予定 0件）")))
        << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("終了の依頼を受けて終了します"))) << log.toStdString();

    RunnerProcess next(folder.path());
    next.start();
    EXPECT_TRUE(next.waitForArmed()) << next.readStderr().toStdString();
    EXPECT_TRUE(FindRunner());
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(next.waitForExit());
}

// Logout, kill and Ctrl+C end the runner as a close request does: a line in the log, the
// socket and the instance let go, a clean exit.
TEST_F(RunnerProcessTest, TerminationSignalsEndTheRunnerCleanlyWithALogLine)
{
    for (const auto& [signal, name] : {std::pair{SIGTERM, "SIGTERM"}, {SIGINT, "SIGINT"}, {SIGHUP, "SIGHUP"}}) {
        SCOPED_TRACE(name);
        RunnerProcess runner(folder.path());
        runner.start();
        ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
        ::kill(pid_t(runner.process().processId()), signal);
        ASSERT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(runner.process().exitCode(), 0);
        const QString log = QString::fromUtf8(runner.readStderr());
        EXPECT_TRUE(log.contains(QStringLiteral("終了の合図を受けて終了します（%1）").arg(QLatin1String(name))))
            << log.toStdString();
        EXPECT_FALSE(QFile::exists(runnerSocketPath()));
        SingleInstance probe(QStringLiteral("corvane_110"));
        EXPECT_TRUE(probe.tryAcquire());
    }
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
    ASSERT_EQ(StopRunner(), RunnerStop::Stopped);
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
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
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

    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_FALSE(FindRunner());
    // The runner gave its instance up with its answer: it must end, not arm its timer.
    EXPECT_TRUE(runner.waitForExit(10000)) << runner.readStderr().toStdString();
    EXPECT_FALSE(QString::fromUtf8(runner.readStderr()).contains(kArmedLine));
}

TEST_F(RunnerProcessTest, AnotherUserCanNeitherFindNorCloseTheRunner)
{
    if (::getuid() != 0)
        GTEST_SKIP() << "switching to another user needs root";
    RunnerProcess runner(folder.path());
    runner.start();
    ASSERT_TRUE(runner.waitForArmed());

    // The same close request as StopRunner sends, from the unprivileged user "nobody".
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
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
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
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
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
    EXPECT_TRUE(waitUntil(
        [&] { return folder.readBytes(QStringLiteral("spoken.txt")) == toCp932(QStringLiteral("\"朝会\n\"\r\n")); },
        8000))
        << runner.readStderr().toStdString();
    // The window is another program's: the resident maps no display or GUI library, before or
    // after an announcement.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(runner.process().processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    const QByteArray mapped = maps.readAll();
    for (const char* library : {"libQt6Gui", "libQt6Widgets", "libxcb", "libX11", "libwayland", "libQt6Multimedia"})
        EXPECT_FALSE(mapped.contains(library)) << library;
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit());
}

namespace {

// A runner on a clock the test moves; what it announced and what it missed is read from its log.
class ClockedRunner {
public:
    explicit ClockedRunner(const TempFolder& folder)
        : m_clock(folder.file(QStringLiteral("faketime.rc"))), m_runner(folder.path())
    {
    }
    ~ClockedRunner()
    {
        EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
        EXPECT_TRUE(m_runner.waitForExit());
    }
    // Starts the runner just before `fakeNow` and waits until the check has run at `fakeNow`
    // (seen by announcing the settings' markerEntry), so that a jump falls between two checks.
    void startAt(const QDateTime& fakeNow)
    {
        m_clock.set(fakeNow.addSecs(-2));
        m_runner.start(m_clock);
        ASSERT_TRUE(m_runner.waitForArmed()) << log().toStdString();
        ASSERT_TRUE(waitUntil([&] { return count(QStringLiteral("お知らせ: 確認")) == 1; }, 8000))
            << log().toStdString();
    }
    // Moves the clock and waits until the runner logged a line containing `part`.
    bool jumpAndSee(const QDateTime& fakeNow, const QString& part)
    {
        m_clock.set(fakeNow);
        return waitUntil([&] { return count(part) > 0; }, 8000);
    }
    // Starts the runner at `fakeNow` and waits for its timer only.
    void startArmedAt(const QDateTime& fakeNow)
    {
        m_clock.set(fakeNow);
        m_runner.start(m_clock);
        ASSERT_TRUE(m_runner.waitForArmed()) << log().toStdString();
    }
    // The runner is not scheduled for `ms` while both clocks run on (a swap storm, a frozen
    // cgroup), then runs again.
    void stall(int ms)
    {
        const pid_t pid = pid_t(m_runner.process().processId());
        ::kill(pid, SIGSTOP);
        QThread::msleep(ms);
        ::kill(pid, SIGCONT);
    }
    int count(const QString& part) { return int(log().split(QLatin1Char('\n')).filter(part).size()); }
    QString log() { return QString::fromUtf8(m_runner.readStderr()); }

private:
    FakeClock m_clock;
    RunnerProcess m_runner;
};

const QDate kProcessMonday(2026, 12, 7);

QDateTime onDay(int day, int h, int m, int s = 0) { return QDateTime(kProcessMonday.addDays(day), QTime(h, m, s)); }

// A dated entry "確認" at `at`, that ClockedRunner::startAt waits for.
QList<SettingsKey> markerEntry(const QDateTime& at)
{
    return {{QStringLiteral("時刻"), QStringLiteral("2-0"), at.time().toString(QStringLiteral("H:mm"))},
            {QStringLiteral("内容"), QStringLiteral("2-0"), QStringLiteral("確認")},
            {QStringLiteral("指定日"), QStringLiteral("2-0"), at.date().toString(QStringLiteral("yyyy/M/d"))}};
}

} // namespace

TEST_F(RunnerProcessTest, AJumpOverAnEntryShowsItLateWithinTheLimitOnly)
{
    const struct {
        const char* name;
        const char16_t* limit; // nullptr: the key is absent
        QDateTime wakeAt;
        const char16_t* logged; // what the wake-up logs
        bool announced;
    } rows[] = {
        {"20 minutes late, default limit", nullptr, onDay(0, 9, 20), u"お知らせ: 9:00 定例会議", true},
        {"90 minutes late, default limit", nullptr, onDay(0, 10, 30),
         u"遅れが上限（60分）を超えたため表示しません: 9:00 定例会議", false},
        {"limit 0: as if there were no limit", u"0", onDay(0, 9, 1),
         u"遅れが上限（0分）を超えたため表示しません: 9:00 定例会議", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QList<SettingsKey> keys = markerEntry(onDay(0, 8, 50));
        keys.append({QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")});
        keys.append({QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("定例会議")});
        keys.append({QStringLiteral("事前表示"), QStringLiteral("遅延上限"),
                     row.limit ? QString::fromUtf16(row.limit) : QString()});
        writeSettings(folder.file(QStringLiteral("corvane設定.ini")), keys);
        ClockedRunner runner(folder);
        runner.startAt(onDay(0, 8, 50));
        EXPECT_TRUE(runner.jumpAndSee(row.wakeAt, QString::fromUtf16(row.logged))) << runner.log().toStdString();
        // An announcement would have come from the same check as the line about the entry.
        EXPECT_EQ(runner.count(QStringLiteral("お知らせ:")), row.announced ? 2 : 1) << runner.log().toStdString();
    }
}

TEST_F(RunnerProcessTest, AJumpAcrossMidnightShowsTheMissedOnesOnceThenTheNewDayAsUsual)
{
    QList<SettingsKey> keys = markerEntry(onDay(0, 23, 50));
    keys += {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("0:02")},
             {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("体操")},
             {QStringLiteral("時刻"), QStringLiteral("0-1"), QStringLiteral("0:10")},
             {QStringLiteral("内容"), QStringLiteral("0-1"), QStringLiteral("点呼")},
             {QStringLiteral("時刻"), QStringLiteral("0-2"), QStringLiteral("23:59")},
             {QStringLiteral("内容"), QStringLiteral("0-2"), QStringLiteral("日報")}};
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")), keys);
    ClockedRunner runner(folder);
    runner.startAt(onDay(0, 23, 50));
    // Asleep from Monday night to Wednesday: Tuesday's 23:59 from the list held since Monday's
    // start and Wednesday's 0:02 from the lists rebuilt for Wednesday, in one window; the
    // older ones are past the limit.
    EXPECT_TRUE(runner.jumpAndSee(onDay(2, 0, 5), QStringLiteral("お知らせ: 23:59 日報 / 0:02 体操")))
        << runner.log().toStdString();
    EXPECT_TRUE(runner.jumpAndSee(onDay(2, 0, 9, 58), QStringLiteral("お知らせ: 点呼"))) << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("お知らせ:")), 3) << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("お知らせ: 23:59 日報")), 1);
}

TEST_F(RunnerProcessTest, AStoppedRunnerShowsWhatCameDueMeanwhileLate)
{
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")),
                  {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("定例会議")}});
    ClockedRunner runner(folder);
    runner.startArmedAt(onDay(0, 8, 59, 55));
    // From before the entry's start to past its five seconds.
    runner.stall(12000);
    EXPECT_TRUE(waitUntil([&] { return runner.count(QStringLiteral("お知らせ: 9:00 定例会議")) == 1; }, 8000))
        << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("予定の確認が止まっていました")), 1) << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("遅れて表示します: 9:00 定例会議")), 1) << runner.log().toStdString();
}

// Snoozes kept by the runner before this one (it was restarted meanwhile): each comes back when
// due with its registered time, one due during a sleep late within the limit, and the day's
// history says so.
TEST_F(RunnerProcessTest, SnoozesOfTheRunnerBeforeComeBackWhenDueAndAfterASleep)
{
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")),
                  {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("定例会議")}});
    ASSERT_TRUE(QDir().mkpath(folder.file(QStringLiteral("state/corvane"))));
    folder.writeBytes(QStringLiteral("state/corvane/snoozes.txt"), "2026-12-07T09:05:00\t2026-12-07\t9:00\t定例会議\n"
                                                                   "2026-12-07T09:10:00\t2026-12-07\t9:00\t朝会\n");
    ClockedRunner runner(folder);
    runner.startArmedAt(onDay(0, 9, 4, 57));
    EXPECT_TRUE(waitUntil([&] { return runner.count(QStringLiteral("お知らせ: 9:00 定例会議")) == 1; }, 8000))
        << runner.log().toStdString();
    // Asleep from 9:05 to 9:40: the second snooze came due meanwhile.
    EXPECT_TRUE(runner.jumpAndSee(onDay(0, 9, 40), QStringLiteral("お知らせ: 9:00 朝会")))
        << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("遅れて再通知します: 9:00 朝会（再通知 2026/12/7 9:10:00）")), 1)
        << runner.log().toStdString();
    EXPECT_EQ(runner.count(QStringLiteral("お知らせ:")), 2) << runner.log().toStdString();
    EXPECT_EQ(folder.readBytes(QStringLiteral("state/corvane/snoozes.txt")), QByteArray());
    EXPECT_EQ(
        QString::fromUtf8(folder.readBytes(QStringLiteral("state/corvane/announced-2026-12-07.txt"))).toStdString(),
        "9:00\t再通知\t9:05\t定例会議\n9:00\t遅れて表示\t9:40\t朝会\n");
}

TEST_F(RunnerProcessTest, Utf8FileSavedWithoutAMarkIsReadLoggedOnceAndWrittenBackInUtf8)
{
    // As a Linux text editor saves it: UTF-8, no byte-order mark, LF line ends.
    const QString lines = QStringLiteral("; 手で編集\n[時刻]\n0-0=9:00\n[内容]\n0-0=朝会\n");
    const QString path = folder.file(QStringLiteral("corvane設定.ini"));
    folder.writeBytes(QStringLiteral("corvane設定.ini"), lines.toUtf8());
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 08:00:00"));
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    const QString log = QString::fromUtf8(runner.readStderr());
    EXPECT_EQ(log.count(QStringLiteral("を文字コード UTF-8 (BOM なし) として読み込みます")), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(QStringLiteral("本日の予定 1件"))) << log.toStdString();
    const QByteArray after = folder.readBytes(QStringLiteral("corvane設定.ini"));
    EXPECT_TRUE(after.startsWith(QString(lines).replace(u'\n', QStringLiteral("\r\n")).toUtf8()));
    EXPECT_EQ(derivedList(path, QStringLiteral("本日の予定")), QStringList{QStringLiteral("9:00 朝会")});
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit());
}

TEST_F(RunnerProcessTest, FileTheRunnerMayNotWriteIsReadLoggedAndLeftAsItIs)
{
    const QString text = QStringLiteral("[時刻]\r\n0-0=9:00\r\n[内容]\r\n0-0=朝会\r\n");
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    struct Row {
        const char* what;
        QByteArray bytes;
        bool readOnly;
        const char16_t* logged;
    } rows[] = {
        {"read-only", toCp932(text), true, u"読み取り専用"},
        {"UTF-16", utf16, false, u"UTF-16"},
    };
    const QString path = folder.file(QStringLiteral("corvane設定.ini"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(path);
        folder.writeBytes(QStringLiteral("corvane設定.ini"), row.bytes);
        if (row.readOnly)
            QFile::setPermissions(path, QFileDevice::ReadOwner);
        RunnerProcess runner(folder.path());
        runner.start(QStringLiteral("2026-12-07 08:00:00"));
        ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
        const QString log = QString::fromUtf8(runner.readStderr());
        // The refused write once, with what could not be written.
        qsizetype refusals = 0;
        for (const QString& line : log.split(u'\n'))
            refusals +=
                line.contains(QString::fromUtf16(row.logged)) && !line.contains(QStringLiteral("として読み込みます"));
        EXPECT_EQ(refusals, 1) << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("本日と翌日の予定を設定ファイルに書き込めませんでした")))
            << log.toStdString();
        EXPECT_TRUE(log.contains(QStringLiteral("本日の予定 1件"))) << log.toStdString();
        EXPECT_EQ(folder.readBytes(QStringLiteral("corvane設定.ini")), row.bytes);
        EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
        EXPECT_TRUE(runner.waitForExit());
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }
}
