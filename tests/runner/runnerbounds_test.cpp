// Hand-edited values and workbooks that once hung or bloated the real runner: it must arm its
// timer, announce, answer a close request and stay small.
#include "indicatorworkbook.h"
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QFile>
#include <gtest/gtest.h>

#include "processmemory.h"

#include <algorithm>

using namespace corvane;
using namespace corvane::test;

namespace {

class RunnerBounds : public ::testing::Test {
protected:
    QString settingsFile() const { return folder.file(QStringLiteral("corvane設定.ini")); }
    RuntimeFolder runtime;
    TempFolder folder;
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
