// Hand-edited values, workbooks and neighbours that once hung or bloated the real runner: it must
// arm its timer, announce, answer a close request and stay small.
#include "indicatorworkbook.h"
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

#include "processmemory.h"

#include <algorithm>
#include <iostream>
#include <sys/resource.h>
#include <sys/socket.h>
#include <vector>

using namespace corvane;
using namespace corvane::test;

namespace {

class RunnerBounds : public ::testing::Test {
protected:
    QString settingsFile() const { return folder.file(QStringLiteral("corvane設定.ini")); }
    RuntimeFolder runtime;
    TempFolder folder;
};

// Sets this process's soft limit of open files while the object lives (a runner started
// meanwhile inherits it).
class OpenFileLimit {
public:
    explicit OpenFileLimit(rlim_t soft)
    {
        ::getrlimit(RLIMIT_NOFILE, &m_original);
        rlimit changed = m_original;
        changed.rlim_cur = std::min(soft, m_original.rlim_max);
        ::setrlimit(RLIMIT_NOFILE, &changed);
    }
    ~OpenFileLimit() { ::setrlimit(RLIMIT_NOFILE, &m_original); }

private:
    rlimit m_original{};
};

} // namespace

TEST_F(RunnerBounds, HugeWindowSizeIsFittedToTheScreenAndTheRunnerStaysSmall)
{
    writeSettings(settingsFile(),
                  {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("朝会")},
                   {QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("3")},
                   {QStringLiteral("表示フォーム"), QStringLiteral("WIDTH"), QStringLiteral("2147483647")},
                   {QStringLiteral("表示フォーム"), QStringLiteral("HEIGHT"), QStringLiteral("2147483647")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声"), QStringLiteral("1")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声TXT"), folder.file(QStringLiteral("spoken.txt"))}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 08:59:58"));
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    EXPECT_TRUE(waitUntil([&] { return !folder.readBytes(QStringLiteral("spoken.txt")).isEmpty(); }, 8000))
        << runner.readStderr().toStdString();
    EXPECT_TRUE(runner.readStderr().contains(QStringLiteral("画面に収まらないため").toUtf8()));
    // With the window on screen: a window of the stored size took gigabytes.
    const qint64 peak = peakResidentBytes(runner.process().processId());
    EXPECT_GT(peak, 0);
    EXPECT_LT(peak, 128 * kMiB);
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit());
}

TEST_F(RunnerBounds, TensOfThousandsOfIndicatorRowsTodayStartAndAreCut)
{
    const QDate monday(2026, 12, 7);
    QList<IndicatorRow> rows;
    for (int i = 0; i < 16000; ++i)
        rows.append({monday, QTime(23 - i % 24, 59 - i % 60), QStringLiteral("指標%1").arg(i)});
    QString error;
    ASSERT_TRUE(WriteIndicatorWorkbook(folder.file(QStringLiteral("経済指標.xls")), rows, &error))
        << error.toStdString();
    writeSettings(settingsFile(), {{QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                                   {QStringLiteral("経済指標"), QStringLiteral("作成日"), QStringLiteral("2026/12/1")},
                                   {QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("12:00")},
                                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("昼")}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 08:00:00"));
    // Sorting them pairwise took minutes, while close requests went unanswered.
    ASSERT_TRUE(runner.waitForArmed(20000)) << runner.readStderr().toStdString();
    EXPECT_TRUE(runner.readStderr().contains(QStringLiteral("500件までとし、残りの 15500件は使いません").toUtf8()))
        << runner.readStderr().toStdString();
    const QStringList today = derivedList(settingsFile(), QStringLiteral("本日の予定"));
    EXPECT_EQ(today.size(), 501);
    // Sorted by time, the user's own entry among the releases.
    QList<QTime> times;
    for (const QString& line : today)
        times.append(QTime::fromString(line.section(QLatin1Char(' '), 0, 0), QStringLiteral("H:mm")));
    EXPECT_TRUE(std::is_sorted(times.begin(), times.end()));
    EXPECT_TRUE(today.contains(QStringLiteral("12:00 昼")));
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit());
}

// 1,100 clients that connect and send nothing: with the usual limit of 1,024 open files the runner
// ran out of descriptors, missed its reminders and answered no close request.
TEST_F(RunnerBounds, IdleControlClientsByTheThousandLeaveAnnouncementsAndCloseAsUsual)
{
    writeSettings(settingsFile(),
                  {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("朝会")},
                   {QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("3")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声"), QStringLiteral("1")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声TXT"), folder.file(QStringLiteral("spoken.txt"))}});
    RunnerProcess runner(folder.path());
    {
        const OpenFileLimit usual(1024);
        runner.start(QStringLiteral("2026-12-07 08:59:55"));
    }
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    // The clients' side only: this process holds them all.
    const OpenFileLimit clientSide(4096);
    std::vector<SocketHandle> clients;
    const auto connectIdleClients = [&] {
        const QDeadlineTimer connecting(60000);
        for (int i = 0; i < 1100; ++i) {
            clients.push_back(connectLocalSocket(runnerSocketPath(), connecting));
            ASSERT_TRUE(clients.back().isValid()) << "client " << i << "\n" << runner.readStderr().toStdString();
        }
    };
    connectIdleClients();
    // Each is closed by the runner in its turn, not one left waiting for ever.
    EXPECT_TRUE(waitUntil(
        [&] {
            char byte = 0;
            return std::all_of(clients.begin(), clients.end(),
                               [&](const SocketHandle& c) { return ::recv(c.fd(), &byte, 1, MSG_DONTWAIT) == 0; });
        },
        30000));
    EXPECT_TRUE(waitUntil(
        [&] {
            return !folder.readBytes(QStringLiteral("spoken.txt")).isEmpty()
                   && runner.readStderr().contains(QStringLiteral("お知らせ:").toUtf8());
        },
        15000))
        << runner.readStderr().toStdString();
    // On time: by the second's own check, not as a late catch-up.
    const QString log = QString::fromUtf8(runner.readStderr());
    EXPECT_EQ(log.split(u'\n').filter(QStringLiteral("お知らせ: 朝会")).size(), 1) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("遅れて表示します"))) << log.toStdString();
    // Descriptors were left for the log file too.
    EXPECT_TRUE(readFileBytes(runner.stateFolder() + QStringLiteral("/corvane/corvane_110.log"))
                    .contains(QStringLiteral("お知らせ: 朝会").toUtf8()));

    // Once more, so that the close request meets fresh idle connections.
    connectIdleClients();
    QElapsedTimer answer;
    answer.start();
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    std::cout << "close answered after " << answer.elapsed() << " ms beside " << clients.size() << " idle clients"
              << std::endl;
    EXPECT_TRUE(runner.waitForExit()) << runner.readStderr().toStdString();
}

TEST_F(RunnerBounds, ACloseRequestIsAnsweredWhileAWorkbookOfEveryRowIsRead)
{
    // As many releases as a sheet holds, all on the start day: opening it takes seconds.
    const QDate monday(2026, 12, 7);
    QList<IndicatorRow> rows;
    for (int i = 0; i < 65535; ++i)
        rows.append({monday, QTime(i % 24, i % 60), QStringLiteral("指標%1").arg(i)});
    QString error;
    ASSERT_TRUE(WriteIndicatorWorkbook(folder.file(QStringLiteral("経済指標.xls")), rows, &error))
        << error.toStdString();
    writeSettings(settingsFile(),
                  {{QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                   {QStringLiteral("経済指標"), QStringLiteral("作成日"), QStringLiteral("2026/12/1")}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 08:00:00"));
    ASSERT_TRUE(waitUntil([] { return FindRunner(); }, 20000)) << runner.readStderr().toStdString();

    // Answered while the start-up is still reading, which it then does not go on from.
    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    ASSERT_TRUE(runner.waitForExit(120000));
    // It ends once the read is over, not in a crash of the reading thread.
    EXPECT_EQ(runner.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(runner.process().exitCode(), 0);
    EXPECT_FALSE(runner.readStderr().contains(QStringLiteral("常駐を開始しました").toUtf8()))
        << runner.readStderr().toStdString();
}
