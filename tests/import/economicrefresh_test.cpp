// The start-up refresh policy: when the runner rebuilds the indicator workbook.
#include "economicrefresh.h"

#include "announcer.h"
#include "calendarimportprocess.h"
#include "clock.h"
#include "indicatorworkbook.h"
#include "profile.h"
#include "runnerapp.h"
#include "runnertestsupport.h"
#include "settingspath.h"
#include "tempfolder.h"
#include "testhttpserver.h"

#include "processmemory.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvane;

namespace {
// The import runs as the program built beside the runner, not beside this test.
const bool importProgramSet = (setCalendarImportProgram(QStringLiteral(CORVANE_PROGRAMS_DIR "/corvane_import")), true);
} // namespace

TEST(EconomicRefreshPolicy, RebuildsOnlyWhenOnAndTheMonthNumberChanged)
{
    struct Case {
        const char* fetch;
        const char* builtOn;
        QDate today;
        bool due;
    };
    const Case cases[] = {
        {"", "", QDate(2025, 6, 1), false},           // feature off: key absent
        {"0", "", QDate(2025, 6, 1), false},          // feature off
        {"1 ", "", QDate(2025, 6, 1), false},         // exactly "1" only
        {"1", "", QDate(2025, 6, 1), true},           // never built
        {"1", "2025/5/31", QDate(2025, 6, 1), true},  // month changed
        {"1", "2025/6/2", QDate(2025, 6, 30), false}, // same month
        {"1", "2024/6/10", QDate(2025, 6, 3), false}, // same month number, year not compared
        {"1", "2025/12/31", QDate(2026, 1, 1), true}, {"1", "2025/06/02", QDate(2025, 6, 30), false},
        {"1", "not a date", QDate(2025, 6, 3), true}, // unreadable counts as never built
        {"1", "2025/13/1", QDate(2025, 6, 3), true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(economicRebuildDue(QString::fromUtf8(c.fetch), QString::fromUtf8(c.builtOn), c.today), c.due)
            << c.fetch << " | " << c.builtOn << " | " << c.today.toString(Qt::ISODate).toStdString();
}

namespace {

class EconomicRefresh : public ::testing::Test {
protected:
    EconomicRefresh()
    {
        server.route(
            "/web/market/calendar/",
            {200, "text/html", test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/import/calendar_utf8.html"))});
        write("URL", server.url("/web/market/calendar/").toString());
    }
    void write(const char* key, const QString& value)
    {
        ASSERT_TRUE(profile::writeString(settings, QStringLiteral("経済指標"), QString::fromUtf8(key), value));
    }
    QString builtOn() const
    {
        return profile::readString(settings, QStringLiteral("経済指標"), QStringLiteral("作成日"));
    }

    test::TempFolder folder;
    test::TestHttpServer server;
    const QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ScopedClock clock{[] { return QDateTime(QDate(2026, 11, 10), QTime(7, 0)); }};
};

} // namespace

TEST_F(EconomicRefresh, ImportsBesideTheSettingsFileWhenNeverBuilt)
{
    write("取得", "1");
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(builtOn(), "2026/11/10");
    EXPECT_EQ(ReadIndicatorWorkbook(workbook).size(), 11);
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);

    // Restarted later the same month: no second import.
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 1);
}

TEST_F(EconomicRefresh, DoesNothingWhenOffOrCurrent)
{
    EXPECT_EQ(CheckEconomicRefresh(settings), "");
    EXPECT_EQ(CheckEconomicRefresh(settings, "0"), "0") << "an absent key keeps the value held";
    write("取得", "0");
    EXPECT_EQ(CheckEconomicRefresh(settings, "1"), "0");
    EXPECT_EQ(CheckEconomicRefresh(settings), "0");
    write("取得", "1");
    write("作成日", "2025/11/28"); // another year, same month number
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(server.requestCount("/web/market/calendar/"), 0);
    EXPECT_FALSE(QFile::exists(workbook)) << "a missing workbook with a current stamp is not rebuilt";
}

TEST_F(EconomicRefresh, AFailedImportKeepsTheStampAndTheStartUpGoesOn)
{
    write("取得", "1");
    write("作成日", "2026/10/31");
    write("URL", server.url("/missing").toString());
    EXPECT_EQ(CheckEconomicRefresh(settings), "1");
    EXPECT_EQ(builtOn(), "2026/10/31");
    EXPECT_FALSE(QFile::exists(workbook));
}

// The import runs in a process of its own: one that is missing, fails without a word, crashes,
// hangs, floods its output or could have been changed by another user is reported and stopped
// (or never started), and the runner goes on with the files as they were and its memory where
// it was.
TEST_F(EconomicRefresh, AnImportProgramThatFailsIsReportedAndChangesNothing)
{
    write("取得", "1");
    write("作成日", "2026/10/31");
    const auto script = [this](const char* name, const char* body, QFile::Permissions more = {}) {
        const QString path = folder.file(QString::fromUtf8(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("#!/bin/sh\n") + body + "\n");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | more);
        return path;
    };
    struct Case {
        QString program;
        const char* reasonPart;
        int limitMs = 500;
    };
    const Case cases[] = {
        {folder.file(QStringLiteral("none/corvane_import")), "見つかりません"},
        {script("silent", "exit 1"), "異常終了"},
        {script("crash", "kill -SEGV $$"), "異常終了"},
        {script("hang", "exec sleep 30"), "打ち切りました"},
        // A reason as long as may be read is passed on; one byte more, or no end, stops it.
        {script("longest", "head -c 65536 /dev/zero | tr '\\0' A; exit 1"), "AAAA", 30000},
        {script("longer", "head -c 65537 /dev/zero | tr '\\0' A; exit 1"), "出力が多すぎるため止めました", 30000},
        {script("flood", "exec yes AAAA"), "出力が多すぎるため止めました", 30000},
        {script("reason", "echo 表がありません; exit 1"), "表がありません", 30000},
        {script("group-writable", "exit 0", QFile::WriteGroup | QFile::ExeGroup), "ほかのユーザーも書き換えられる"},
    };
    // One import object for all: what one program said must not stay for the next.
    CalendarImportProcess import(settings, workbook, QDate(2026, 11, 10));
    bool done = false;
    QString reason;
    QObject::connect(&import, &CalendarImportProcess::finished, [&](bool ok, const QString& why) {
        EXPECT_FALSE(ok);
        done = true;
        reason = why;
    });
    const qint64 peakBefore = test::peakResidentBytes();
    const auto grown = [&] { return test::peakResidentBytes() - peakBefore; };
    for (const Case& c : cases) {
        setCalendarImportProgram(c.program);
        import.setLimitMs(c.limitMs);
        done = false;
        import.start();
        // Also ends when this process has grown far: a flood read without limit would take
        // the machine's memory before the time limit comes.
        test::waitUntil([&] { return done || grown() > 64 * test::kMiB; }, c.limitMs + 10000);
        EXPECT_TRUE(done) << c.program.toStdString();
        EXPECT_TRUE(reason.contains(QString::fromUtf8(c.reasonPart))) << reason.left(200).toStdString();
        EXPECT_EQ(builtOn(), "2026/10/31");
        EXPECT_FALSE(QFile::exists(workbook));
    }
    EXPECT_LT(grown(), 16 * test::kMiB);
    setCalendarImportProgram(QStringLiteral(CORVANE_PROGRAMS_DIR "/corvane_import"));
}

namespace {
class CountingAnnouncer : public Announcer {
public:
    explicit CountingAnnouncer(QStringList& into) : m_into(into) {}
    void announce(const QString& message) override { m_into.append(message.trimmed()); }

private:
    QStringList& m_into;
};
} // namespace

TEST(EconomicRefreshAtANewDay, TheImportRunsBehindTheTicksAndTheListsFollowWhenItIsDone)
{
    test::RuntimeFolder runtime;
    test::TempFolder folder;
    setProgramsFolderOverride(folder.path());
    test::TestHttpServer server;
    test::HttpRoute slow{200, "text/html",
                         test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/import/calendar_utf8.html"))};
    slow.chunkDelayMs = 300;
    slow.chunkSize = 512;
    server.route("/web/market/calendar/", slow);
    test::writeSettings(SettingsPath(), {{"経済指標", "取得", "1"},
                                         {"経済指標", "作成日", "2026/11/1"},
                                         {"経済指標", "URL", server.url("/web/market/calendar/").toString()},
                                         {"時刻", "0-0", "0:00"},
                                         {"内容", "0-0", "零時"}});
    QDateTime now(QDate(2026, 11, 30), QTime(8, 0));
    ScopedClock clock([&now] { return now; });
    QStringList announced;
    RunnerApp runner([&announced](const DisplaySettings&) { return std::make_unique<CountingAnnouncer>(announced); });
    ASSERT_TRUE(runner.Main());

    // December 2nd: the new month's import is due; the 0:00 entry does not wait for it.
    now = QDateTime(QDate(2026, 12, 2), QTime(0, 0, 0));
    runner.tick();
    EXPECT_EQ(announced, QStringList{"零時"});
    EXPECT_EQ(runner.schedule().today().size(), 1);
    const auto stamp = [] { return profile::readString(SettingsPath(), "経済指標", "作成日"); };
    while (stamp() != "2026/12/2" && now.time() < QTime(0, 0, 30)) {
        test::waitUntil([&] { return stamp() == "2026/12/2"; }, 200);
        now = now.addSecs(1);
        runner.tick();
    }
    EXPECT_EQ(stamp(), "2026/12/2");
    EXPECT_GT(now.time(), QTime(0, 0, 1)) << "the import finished before the ticks went on";
    // Rebuilt with the day's releases; the entry shown before the rebuild is not shown again.
    test::waitUntil([&] { return runner.schedule().today().size() == 4; }, 5000);
    EXPECT_EQ(runner.schedule().today().size(), 4);
    now = QDateTime(QDate(2026, 12, 2), QTime(0, 0, 2));
    runner.tick();
    EXPECT_EQ(announced, QStringList{"零時"});
    setProgramsFolderOverride({});
}
