// The real runner over a month-change midnight on an X screen with a window manager: the new
// day's 0:00 entry comes up on time while the calendar host takes the connection and never
// answers, and in the reminder window already on screen, not in a second one.
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// The runner's reminder windows on the screen now (their captions begin with two blanks and
// the year), as xdotool sees them.
QStringList visibleReminderCaptions()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"),
                 {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                  QStringLiteral("^  2026/"), QStringLiteral("getwindowname"), QStringLiteral("%@")});
    search.waitForFinished(5000);
    return QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(MidnightRebuild, NewMonthsZeroHourEntryComesUpInTheOneWindowWhileTheCalendarHangs)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") || QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
        GTEST_SKIP() << "needs an X screen and xdotool";
    RuntimeFolder runtime;
    TempFolder folder;
    QTcpServer silentHost; // takes the connection, never answers
    ASSERT_TRUE(silentHost.listen(QHostAddress::LocalHost));
    writeSettings(folder.file(QStringLiteral("corvane設定.ini")),
                  {{QStringLiteral("指定日"), QStringLiteral("2-0"), QStringLiteral("2026/11/29")},
                   {QStringLiteral("時刻"), QStringLiteral("2-0"), QStringLiteral("23:59")},
                   {QStringLiteral("内容"), QStringLiteral("2-0"), QStringLiteral("前夜")},
                   {QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("0:00")},
                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("零時")},
                   // Still on screen at the rebuild.
                   {QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("120")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声"), QStringLiteral("1")},
                   {QStringLiteral("サウンド"), QStringLiteral("音声TXT"), folder.file(QStringLiteral("spoken.txt"))},
                   // December's import is due at midnight, from a host that hangs.
                   {QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                   {QStringLiteral("経済指標"), QStringLiteral("作成日"), QStringLiteral("2026/11/2")},
                   {QStringLiteral("経済指標"), QStringLiteral("URL"),
                    QStringLiteral("http://127.0.0.1:%1/web/market/calendar/").arg(silentHost.serverPort())}});
    FakeClock clock(folder.file(QStringLiteral("clock")));
    // Started the day before: the runner serves the 29th and the 30th from its start-up lists
    // and rebuilds at the midnight after.
    clock.set(QDateTime(QDate(2026, 11, 29), QTime(23, 59, 1)));
    RunnerProcess runner(folder.path());
    runner.setEnvironment(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    runner.start(clock);
    ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
    auto spoken = [&] { return folder.readBytes(QStringLiteral("spoken.txt")); };
    ASSERT_TRUE(waitUntil([&] { return spoken() == toCp932(QStringLiteral("\"前夜\n\"\r\n")); }, 8000))
        << runner.readStderr().toStdString();
    ASSERT_TRUE(waitUntil([] { return visibleReminderCaptions().size() == 1; }, 5000));

    clock.set(QDateTime(QDate(2026, 11, 30), QTime(23, 59, 58)));
    EXPECT_TRUE(waitUntil([&] { return spoken() == toCp932(QStringLiteral("\"零時\n\"\r\n")); }, 8000))
        << runner.readStderr().toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return runner.readStderr().contains(QStringLiteral("お知らせ: 零時").toUtf8()); }, 2000))
        << runner.readStderr().toStdString();
    // The fetch is still waiting on the host: nothing about the import has been logged yet.
    EXPECT_FALSE(runner.readStderr().contains(QStringLiteral("取り込みに失敗").toUtf8()));
    // The evening's window gives way to the new day's.
    waitUntil([] { return visibleReminderCaptions() == QStringList{QStringLiteral("  2026/12/1(火)  0:00")}; }, 5000);
    const QStringList captions = visibleReminderCaptions();
    EXPECT_EQ(captions, QStringList{QStringLiteral("  2026/12/1(火)  0:00")}) << captions.join(u'|').toStdString();

    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit());
}
