// End to end: a real runner process whose settings switch the indicator import on imports the
// calendar from a local server at start-up and lists today's releases.
#include "indicatorworkbook.h"
#include "profile.h"
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

// December 2026 as the page of 2026/12/7 shows it.
const QByteArray kPage = R"(<html><head><meta charset="utf-8"></head><body>
<table>
<tr><th>日付</th><th>曜日</th><th>国内</th><th>海外</th></tr>
<tr><td rowspan="2">7</td><td rowspan="2">月</td><td>21:30 本日の国内指標</td><td>08:30ET 本日の米国指標</td></tr>
<tr><td></td><td>12:00ET 翌日に回る米国指標</td></tr>
<tr><td>9</td><td>水</td><td>08:50 明後日の指標</td><td></td></tr>
</table></body></html>)";

class RunnerImport : public ::testing::Test {
protected:
    RunnerImport()
    {
        server.route("/web/market/calendar/", HttpRoute{200, "text/html; charset=utf-8", kPage});
        RunnerProcess::install(folder.path());
    }

    RuntimeFolder runtime;
    TempFolder folder;
    TestHttpServer server;
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
};

} // namespace

TEST_F(RunnerImport, StartUpImportsTheCalendarAndListsTodaysReleases)
{
    writeSettings(settings, {{"経済指標", "取得", "1"},
                             {"経済指標", "URL", server.url("/web/market/calendar/").toString()},
                             {"時差", "ET", "13"}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 09:00:00"));
    ASSERT_TRUE(runner.waitForArmed(20000)) << runner.readStderr().toStdString();

    EXPECT_EQ(profile::readString(settings, "経済指標", "作成日"), "2026/12/7");
    EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("経済指標.xls"))));
    EXPECT_EQ(derivedList(settings, QStringLiteral("本日の予定")),
              (QStringList{"21:30 本日の国内指標", "21:30 本日の米国指標"}));
    EXPECT_EQ(derivedList(settings, QStringLiteral("翌日の予定")), QStringList{"1:00 翌日に回る米国指標"});
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);
}

TEST_F(RunnerImport, AFailedImportIsOneStderrLineAndTheRunnerGoesOn)
{
    writeSettings(settings, {{"経済指標", "取得", "1"},
                             {"経済指標", "URL", server.url("/missing").toString()},
                             {"時刻", "0-0", "12:00"},
                             {"内容", "0-0", "昼休み"}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 09:00:00"));
    ASSERT_TRUE(runner.waitForArmed(20000)) << runner.readStderr().toStdString();

    const QString log = QString::fromUtf8(runner.readStderr());
    EXPECT_EQ(log.count(u"経済指標カレンダーの取り込みに失敗しました"), 1) << log.toStdString();
    EXPECT_TRUE(log.contains(u"HTTP 404")) << log.toStdString();
    EXPECT_EQ(profile::readString(settings, "経済指標", "作成日"), "");
    EXPECT_EQ(derivedList(settings, QStringLiteral("本日の予定")), QStringList{"12:00 昼休み"});
}

TEST_F(RunnerImport, ACloseRequestDuringTheStartUpImportEndsTheRunner)
{
    HttpRoute slow{200, "text/html; charset=utf-8", kPage};
    slow.chunkDelayMs = 2000;
    slow.chunkSize = 16;
    server.route("/slow", slow);
    writeSettings(settings, {{"経済指標", "取得", "1"}, {"経済指標", "URL", server.url("/slow").toString()}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 09:00:00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount("/slow") == 1; }, 10000));

    EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
    EXPECT_TRUE(runner.waitForExit()) << "a runner closed during its import must not linger";
    EXPECT_FALSE(FindRunner());
    EXPECT_EQ(profile::readString(settings, "経済指標", "作成日"), "");
}

TEST_F(RunnerImport, ANameLongerThanACellIsCutAtAWholeCharacterAndTheWorkbookReads)
{
    // 40,000 UTF-16 units of characters outside the BMP: a cut at an odd number of units ends
    // in the middle of a pair.
    const QString name = QString::fromUtf16(u"\U0001D7D8").repeated(20000);
    server.route("/long", {200, "text/html; charset=utf-8",
                           "<table><tr><th>日</th></tr><tr><td>9</td><td>水</td><td>21:30 " + name.toUtf8()
                               + "</td><td></td></tr></table>"});
    writeSettings(settings, {{"経済指標", "取得", "1"}, {"経済指標", "URL", server.url("/long").toString()}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 09:00:00"));
    ASSERT_TRUE(runner.waitForArmed(20000)) << runner.readStderr().toStdString();
    EXPECT_EQ(profile::readString(settings, "経済指標", "作成日"), "2026/12/7") << runner.readStderr().toStdString();

    QProcess python;
    python.start(QStringLiteral(CORVANE_PYTHON), {QStringLiteral("-c"), QStringLiteral(R"(
import sys, xlrd
sheet = xlrd.open_workbook(sys.argv[1]).sheet_by_name('経済指標')
name = sheet.cell_value(1, 2)
print(len(name), name == '\U0001D7D8' * len(name))
)"),
                                                  folder.file(QStringLiteral("経済指標.xls"))});
    ASSERT_TRUE(python.waitForFinished(30000));
    EXPECT_EQ(python.readAllStandardOutput().trimmed(), "2047 True") << python.readAllStandardError().toStdString();
}

TEST_F(RunnerImport, AWorkbookOpenInASpreadsheetIsNeitherReplacedNorStamped)
{
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ASSERT_TRUE(WriteIndicatorWorkbook(workbook, {{QDate(2026, 11, 20), QTime(8, 30), QStringLiteral("先月の指標")}}));
    const QByteArray before = readFileBytes(workbook);
    folder.writeBytes(QStringLiteral(".~lock.経済指標.xls#"), "user,host,/tmp,07.12.2026 08:00;");
    writeSettings(settings, {{"経済指標", "取得", "1"},
                             {"経済指標", "作成日", "2026/11/20"},
                             {"経済指標", "URL", server.url("/web/market/calendar/").toString()}});
    RunnerProcess runner(folder.path());
    runner.start(QStringLiteral("2026-12-07 09:00:00"));
    ASSERT_TRUE(runner.waitForArmed(20000)) << runner.readStderr().toStdString();

    const QString log = QString::fromUtf8(runner.readStderr());
    EXPECT_EQ(log.count(QStringLiteral("表示中")), 1) << log.toStdString();
    EXPECT_EQ(readFileBytes(workbook), before);
    // Tried again at the next start.
    EXPECT_EQ(profile::readString(settings, "経済指標", "作成日"), "2026/11/20");
}
