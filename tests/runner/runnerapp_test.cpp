// The runner's start-up and tick wired together on a real settings file, with the clock moved
// by the test: the advance from the file, the list of each day, and the rebuild for a new day.
#include "announcer.h"
#include "clock.h"
#include "indicatorworkbook.h"
#include "runnerapp.h"
#include "runnertestsupport.h"
#include "settingspath.h"
#include "tempfolder.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDate kMonday(2026, 12, 7);

class RecordingAnnouncer : public Announcer {
public:
    explicit RecordingAnnouncer(QStringList& into) : m_into(into) {}
    void announce(const QString& message) override
    {
        m_into.append(Clock::now().toString(QStringLiteral("ddd H:mm:ss ")) + message.trimmed());
    }

private:
    QStringList& m_into;
};

class RunnerAppTest : public ::testing::Test {
protected:
    void SetUp() override { setProgramsFolderOverride(folder.path()); }
    void TearDown() override { setProgramsFolderOverride({}); }

    void startAt(const QDateTime& start)
    {
        now = start;
        ASSERT_TRUE(runner.Main());
    }
    void runUntil(const QDateTime& end)
    {
        for (; now <= end; now = now.addSecs(1))
            runner.tick();
    }

    RuntimeFolder runtime;
    TempFolder folder;
    QDateTime now;
    ScopedClock clock{[this] { return now; }};
    QStringList announced;
    RunnerApp runner{[this](const DisplaySettings&) { return std::make_unique<RecordingAnnouncer>(announced); }};
};

QList<SettingsKey> weekEntries()
{
    QList<SettingsKey> keys;
    const QStringList days = {"月", "火", "水", "木", "金", "土", "日"};
    for (int d = 0; d < 7; ++d) {
        keys.append({QStringLiteral("時刻"), QStringLiteral("%1-0").arg(d + 3), QStringLiteral("9:00")});
        keys.append({QStringLiteral("内容"), QStringLiteral("%1-0").arg(d + 3), days[d]});
    }
    return keys;
}

} // namespace

TEST_F(RunnerAppTest, MondayStartServesMondayTuesdayAndRebuildsOnWednesday)
{
    writeSettings(SettingsPath(), weekEntries());
    startAt(QDateTime(kMonday, QTime(8, 0)));
    EXPECT_TRUE(runner.isArmed());
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("本日の予定")), QStringList{"9:00 月"});
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("翌日の予定")), QStringList{"9:00 火"});

    runUntil(QDateTime(kMonday, QTime(9, 1)));
    now = QDateTime(kMonday.addDays(1), QTime(8, 59, 58));
    runUntil(QDateTime(kMonday.addDays(1), QTime(9, 1)));
    // Wednesday: the runner rebuilds as at start-up, for the new day, and goes on.
    now = QDateTime(kMonday.addDays(2), QTime(0, 0, 0));
    runner.tick();
    EXPECT_EQ(runner.schedule().buildDate(), kMonday.addDays(2));
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("本日の予定")), QStringList{"9:00 水"});
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("翌日の予定")), QStringList{"9:00 木"});
    now = QDateTime(kMonday.addDays(2), QTime(8, 59, 58));
    runUntil(QDateTime(kMonday.addDays(2), QTime(9, 1)));

    EXPECT_EQ(announced, (QStringList{"Mon 9:00:00 月", "Tue 9:00:00 火", "Wed 9:00:00 水"}));
}

TEST_F(RunnerAppTest, NewDayRebuildSeesTheFileAsItIsThen)
{
    writeSettings(SettingsPath(), weekEntries());
    startAt(QDateTime(kMonday, QTime(8, 0)));
    // Changed after start-up: not seen on Monday or Tuesday, seen once the runner rebuilds.
    writeSettings(SettingsPath(), {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("10:00")},
                                   {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("毎日")}});
    // No check ran since start-up: Tuesday's 9:00 is shown late, the new 10:00 not at all.
    now = QDateTime(kMonday.addDays(1), QTime(9, 59, 58));
    runUntil(QDateTime(kMonday.addDays(1), QTime(10, 1)));
    EXPECT_EQ(announced, QStringList{"Tue 9:59:58 9:00 火"});
    announced.clear();
    // A runner left running over a long weekend wakes up on Thursday.
    now = QDateTime(kMonday.addDays(3), QTime(9, 59, 59));
    runUntil(QDateTime(kMonday.addDays(3), QTime(10, 1)));
    // Thursday's 9:00 passed while it slept, within the lateness limit: shown late at once.
    EXPECT_EQ(announced, (QStringList{"Thu 9:59:59 9:00 木", "Thu 10:00:00 毎日"}));
}

// Start-up reads the indicator workbook while close requests are answered; a later day reads it
// as it is then, not what start-up read.
TEST_F(RunnerAppTest, ANewDayReadsTheIndicatorWorkbookAsItIsThen)
{
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ASSERT_TRUE(WriteIndicatorWorkbook(workbook, {{kMonday, QTime(9, 0), QStringLiteral("月の指標")}}));
    writeSettings(SettingsPath(),
                  {{QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                   {QStringLiteral("経済指標"), QStringLiteral("作成日"), QStringLiteral("2026/12/1")}});
    startAt(QDateTime(kMonday, QTime(8, 0)));
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("本日の予定")), QStringList{"9:00 月の指標"});

    ASSERT_TRUE(WriteIndicatorWorkbook(workbook, {{kMonday.addDays(2), QTime(9, 0), QStringLiteral("水の指標")}}));
    now = QDateTime(kMonday.addDays(2), QTime(0, 0, 0));
    runner.tick();
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("本日の予定")), QStringList{"9:00 水の指標"});
}

TEST_F(RunnerAppTest, AdvanceAndAbbreviationsComeFromTheFile)
{
    QList<SettingsKey> keys = weekEntries();
    keys.append({QStringLiteral("事前表示"), QStringLiteral("時間"), QStringLiteral("10")});
    keys.append({QStringLiteral("略称登録"), QStringLiteral("略称0"), QStringLiteral("月")});
    keys.append({QStringLiteral("略称登録"), QStringLiteral("内容0"), QStringLiteral("月曜の定例")});
    writeSettings(SettingsPath(), keys);
    startAt(QDateTime(kMonday, QTime(8, 0)));
    runUntil(QDateTime(kMonday, QTime(9, 1)));
    EXPECT_EQ(announced, QStringList{"Mon 8:50:00 月曜の定例"});
    EXPECT_EQ(derivedList(SettingsPath(), QStringLiteral("本日の予定")), QStringList{"9:00 月"});
}

TEST_F(RunnerAppTest, TicksDuringARebuildSeeNoHalfBuiltDay)
{
    // A calendar host that holds each fetch for a while and then hangs up: every import (at
    // start-up and at the rebuild) waits in an event loop, where the second timer keeps ticking.
    QTcpServer slowHost;
    ASSERT_TRUE(slowHost.listen(QHostAddress::LocalHost));
    QObject::connect(&slowHost, &QTcpServer::newConnection, &slowHost, [&slowHost] {
        while (QTcpSocket* socket = slowHost.nextPendingConnection())
            QTimer::singleShot(1500, socket, [socket] { socket->abort(); });
    });
    QList<SettingsKey> keys = {{QStringLiteral("経済指標"), QStringLiteral("取得"), QStringLiteral("1")},
                               {QStringLiteral("経済指標"), QStringLiteral("URL"),
                                QStringLiteral("http://127.0.0.1:%1/web/market/calendar/").arg(slowHost.serverPort())}};
    const QStringList days = {"月", "火", "水"};
    for (int d = 0; d < 3; ++d) {
        keys.append({QStringLiteral("時刻"), QStringLiteral("%1-0").arg(d + 3), QStringLiteral("0:00")});
        keys.append({QStringLiteral("内容"), QStringLiteral("%1-0").arg(d + 3), days[d]});
    }
    writeSettings(SettingsPath(), keys);
    startAt(QDateTime(kMonday, QTime(0, 0, 30)));

    // Wednesday midnight: the rebuild starts with the new date while the lists are still
    // Monday's; a tick in between must not announce Monday's 0:00 entry on Wednesday.
    now = QDateTime(kMonday.addDays(2), QTime(0, 0, 0));
    runner.tick();
    EXPECT_EQ(runner.schedule().buildDate(), kMonday.addDays(2));
    EXPECT_FALSE(announced.contains(QStringLiteral("Wed 0:00:00 月")));
    EXPECT_EQ(announced, QStringList{"Wed 0:00:00 水"});
}

TEST_F(RunnerAppTest, ANewDayKeepsTheAnnouncerOnScreenAndTakesAChangedLookAfterIt)
{
    struct Busy : Announcer {
        explicit Busy(bool& announcing) : m_announcing(announcing) {}
        void announce(const QString&) override {}
        bool isAnnouncing() const override { return m_announcing; }
        bool& m_announcing;
    };
    bool announcing = false;
    QStringList made; // the width each announcer was made for
    RunnerApp app([&](const DisplaySettings& s) {
        made.append(s.width);
        return std::make_unique<Busy>(announcing);
    });
    writeSettings(SettingsPath(), weekEntries());
    now = QDateTime(kMonday, QTime(8, 0));
    ASSERT_TRUE(app.Main());
    // Same look at the new day: the one announcer (and its window) goes on.
    announcing = true;
    now = QDateTime(kMonday.addDays(2), QTime(0, 0, 0));
    app.tick();
    EXPECT_EQ(made.size(), 1);
    // A changed look waits until the announcement on screen is over.
    writeSettings(SettingsPath(), {{QStringLiteral("表示フォーム"), QStringLiteral("WIDTH"), QStringLiteral("4000")}});
    now = QDateTime(kMonday.addDays(4), QTime(0, 0, 0));
    app.tick();
    app.tick();
    EXPECT_EQ(made.size(), 1);
    announcing = false;
    app.tick();
    EXPECT_EQ(made, (QStringList{"2970", "4000"}));
}

TEST_F(RunnerAppTest, SecondInstanceInTheSameUserIsRefused)
{
    startAt(QDateTime(kMonday, QTime(8, 0)));
    RunnerApp second{[](const DisplaySettings&) { return std::unique_ptr<Announcer>(); }};
    EXPECT_FALSE(second.Main());
    EXPECT_FALSE(second.isArmed());
}
