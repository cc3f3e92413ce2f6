// The runner's start-up and tick wired together on a real settings file, with the clock moved
// by the test: the advance from the file, the list of each day, and the rebuild for a new day.
#include "announcedlines.h"
#include "announcer.h"
#include "clock.h"
#include "indicatorworkbook.h"
#include "runnerapp.h"
#include "runnertestsupport.h"
#include "settingspath.h"
#include "statefolder.h"
#include "stderrcapture.h"
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

namespace {

// Records its messages and the readiness asked of it; chooseSnooze() stands in for the user's
// choice in the reminder window's menu.
class SnoozingAnnouncer : public Announcer {
public:
    explicit SnoozingAnnouncer(QStringList& into, bool& ready) : m_into(into), m_ready(ready) {}
    void announce(const QString& message) override
    {
        m_last = message;
        m_into.append(Clock::now().toString(QStringLiteral("H:mm:ss ")) + message.trimmed().replace(u'\n', u'/'));
    }
    void setReady(bool ready) override { m_ready = ready; }
    void chooseSnooze(int minutes, const QString& message = {}) const
    {
        reportSnooze(message.isNull() ? m_last : message, minutes);
    }

private:
    QStringList& m_into;
    bool& m_ready;
    QString m_last;
};

class SnoozeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setProgramsFolderOverride(folder.path());
        writeSettings(SettingsPath(), {{QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                                       {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("定例会議")},
                                       {QStringLiteral("時刻"), QStringLiteral("0-1"), QStringLiteral("9:00")},
                                       {QStringLiteral("内容"), QStringLiteral("0-1"), QStringLiteral("朝会")}});
    }
    void TearDown() override { setProgramsFolderOverride({}); }

    void start(const QDateTime& at)
    {
        now = at;
        app = std::make_unique<RunnerApp>([this](const DisplaySettings&) {
            auto announcer = std::make_unique<SnoozingAnnouncer>(announced, ready);
            current = announcer.get();
            return announcer;
        });
        ASSERT_TRUE(app->Main());
    }
    // A restart as the editor's 登録完了 makes it: this runner goes, a new one starts.
    void restartAt(const QDateTime& at)
    {
        app.reset();
        start(at);
    }
    void runUntil(const QDateTime& end)
    {
        for (; now <= end; now = now.addSecs(1))
            app->tick();
    }
    // The wall clock jumps while the monotonic clock hardly moves: a sleep.
    void wakeAt(const QDateTime& at)
    {
        now = at;
        app->tick();
    }
    QStringList viewer(const QDate& day = kMonday) const
    {
        return controller::announcedLines(runnerStateFolder(), day);
    }

    RuntimeFolder runtime;
    StateFolder state;
    TempFolder folder;
    QDateTime now;
    ScopedClock clock{[this] { return now; }};
    QStringList announced;
    bool ready = false;
    SnoozingAnnouncer* current = nullptr;
    std::unique_ptr<RunnerApp> app;
};

QDateTime monday(int h, int m, int s = 0) { return QDateTime(kMonday, QTime(h, m, s)); }

std::string joined(const QStringList& lines) { return lines.join(QStringLiteral(" | ")).toStdString(); }

void writePrivateFileOrFail(const QString& path, const QByteArray& bytes)
{
    QString reason;
    ASSERT_TRUE(writePrivateFile(path, bytes, &reason)) << reason.toStdString();
}

} // namespace

TEST_F(SnoozeTest, ASnoozedReminderComesBackWithItsTimesOnceAndIsRecorded)
{
    const struct {
        const char* what;
        std::function<void()> after; // what happens after the snooze at 9:00:02
        QStringList announced;       // after "9:00:00 定例会議/朝会"
        QStringList viewer;
    } rows[] = {
        {"five minutes later",
         [this] { runUntil(monday(9, 6)); },
         {"9:05:02 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  再通知 9:05", "9:00 朝会  再通知 9:05"}},
        {"across a restart, neither lost nor repeated",
         [this] {
             runUntil(monday(9, 1));
             restartAt(monday(9, 1, 1));
             runUntil(monday(9, 5, 10));
             restartAt(monday(9, 5, 11));
             runUntil(monday(9, 7));
         },
         {"9:05:02 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  再通知 9:05", "9:00 朝会  再通知 9:05"}},
        {"a sleep ending in its five seconds: on time",
         [this] { wakeAt(monday(9, 5, 6)); },
         {"9:05:06 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  再通知 9:05", "9:00 朝会  再通知 9:05"}},
        {"a sleep ending just after them: late",
         [this] { wakeAt(monday(9, 5, 7)); },
         {"9:05:07 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  9:05 遅れて表示", "9:00 朝会  9:05 遅れて表示"}},
        {"a sleep up to the limit",
         [this] { wakeAt(monday(10, 5, 2)); },
         {"10:05:02 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  10:05 遅れて表示", "9:00 朝会  10:05 遅れて表示"}},
        {"a sleep beyond the limit",
         [this] { wakeAt(monday(10, 5, 3)); },
         {},
         {"9:00 定例会議  見逃し", "9:00 朝会  見逃し"}},
        {"snoozed again when it comes back",
         [this] {
             runUntil(monday(9, 5, 2));
             current->chooseSnooze(10);
             runUntil(monday(9, 16));
         },
         {"9:05:02 9:00 定例会議/9:00 朝会", "9:15:03 9:00 定例会議/9:00 朝会"},
         {"9:00 定例会議  再通知 9:15", "9:00 朝会  再通知 9:15"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        StateFolder fresh;
        announced.clear();
        start(monday(8, 59, 50));
        runUntil(monday(9, 0, 1));
        current->chooseSnooze(5);
        row.after();
        // Nothing comes back twice.
        runUntil(now.addSecs(60));
        EXPECT_EQ(joined(announced), joined(QStringList{"9:00:00 定例会議/朝会"} + row.announced));
        EXPECT_EQ(joined(viewer()), joined(row.viewer));
        EXPECT_EQ(readFileBytes(runnerStateFolder() + QStringLiteral("/snoozes.txt")), QByteArray());
        app.reset();
    }
}

TEST_F(SnoozeTest, TheOutputIsReadyAheadOfASnoozeAsOfAnEntry)
{
    start(monday(8, 59, 50));
    runUntil(monday(9, 0, 1));
    current->chooseSnooze(5);
    runUntil(monday(9, 4, 51));
    EXPECT_FALSE(ready);
    runUntil(monday(9, 4, 52));
    EXPECT_TRUE(ready);
}

TEST_F(SnoozeTest, WhatCannotBeSnoozedIsRefusedWithALogLine)
{
    start(monday(8, 59, 50));
    runUntil(monday(9, 0, 2));
    StderrCapture log;
    const struct {
        int minutes;
        QString message; // null: the one on screen
        const char* logged;
    } rows[] = {
        {0, {}, "再通知までの時間（0分）が範囲外"},
        {1441, {}, "再通知までの時間（1441分）が範囲外"},
        {5, QStringLiteral("知らないお知らせ\n"), "再通知を頼まれたお知らせが見つからない"},
    };
    for (const auto& row : rows)
        current->chooseSnooze(row.minutes, row.message);
    // The longest one is taken; a shorter one after it still comes first.
    current->chooseSnooze(PendingSnoozes::kMaxMinutes);
    current->chooseSnooze(5);
    runUntil(monday(9, 31));
    const QStringList lines = log.lines();
    for (const auto& row : rows)
        EXPECT_EQ(lines.filter(QString::fromUtf8(row.logged)).size(), 1) << row.logged;
    EXPECT_EQ(joined(announced), joined({"9:00:00 定例会議/朝会", "9:05:03 9:00 定例会議/9:00 朝会"}));
    EXPECT_EQ(readFileBytes(runnerStateFolder() + QStringLiteral("/snoozes.txt")),
              "2026-12-08T09:00:03\t2026-12-07\t9:00\t定例会議\n2026-12-08T09:00:03\t2026-12-07\t9:00\t朝会\n");
}

// The window may report a choice late, or for a window the user left open: the last eight
// messages can still be put off, older ones no more.
TEST_F(SnoozeTest, TheLastEightMessagesCanBeSnoozed)
{
    QList<SettingsKey> keys;
    for (int i = 1; i <= 8; ++i) {
        keys.append({QStringLiteral("時刻"), QStringLiteral("0-%1").arg(i + 1),
                     QStringLiteral("9:%1").arg(i, 2, 10, QLatin1Char('0'))});
        keys.append({QStringLiteral("内容"), QStringLiteral("0-%1").arg(i + 1), QString::number(i)});
    }
    writeSettings(SettingsPath(), keys);
    start(monday(8, 59, 50));
    runUntil(monday(9, 8, 1));
    StderrCapture log;
    current->chooseSnooze(5, QStringLiteral("定例会議\n朝会\n"));
    current->chooseSnooze(5, QStringLiteral("1\n"));
    runUntil(monday(9, 14));
    EXPECT_EQ(log.lines().filter(QStringLiteral("再通知を頼まれたお知らせが見つからない")).size(), 1);
    EXPECT_EQ(announced.size(), 10);
    EXPECT_EQ(announced.last(), QStringLiteral("9:13:02 9:01 1"));
}

// A day as the viewer's お知らせ済み shows it: missed, on time, late and snoozed lines, in the order
// of their times whenever they happened.
TEST_F(SnoozeTest, TheDaysHistoryListsEveryLineWithWhatBecameOfIt)
{
    writeSettings(SettingsPath(), {{QStringLiteral("時刻"), QStringLiteral("0-1"), QStringLiteral("15:00")},
                                   {QStringLiteral("内容"), QStringLiteral("0-1"), QStringLiteral("報告")},
                                   {QStringLiteral("時刻"), QStringLiteral("0-2"), QStringLiteral("13:30")},
                                   {QStringLiteral("内容"), QStringLiteral("0-2"), QStringLiteral("来客")},
                                   {QStringLiteral("時刻"), QStringLiteral("0-3"), QStringLiteral("7:00")},
                                   {QStringLiteral("内容"), QStringLiteral("0-3"), QStringLiteral("体操")}});
    start(monday(6, 0));
    wakeAt(monday(8, 30));
    runUntil(monday(9, 1));
    wakeAt(monday(14, 10));
    runUntil(monday(15, 0, 1));
    current->chooseSnooze(10);
    runUntil(monday(15, 2));
    EXPECT_EQ(viewer(), (QStringList{"7:00 体操  見逃し", "9:00 定例会議  9:00 表示", "13:30 来客  14:10 遅れて表示",
                                     "15:00 報告  再通知 15:10"}));
}

// A runner started on a later day drops the snoozes due on the days before, with a log line,
// and keeps the ones put off across midnight.
TEST_F(SnoozeTest, AtStartSnoozesOfAPastDayAreDroppedAndTheRestKept)
{
    const QDate sunday = kMonday.addDays(-1);
    writePrivateFileOrFail(runnerStateFolder() + QStringLiteral("/snoozes.txt"),
                           "2026-12-07T00:06:00\t2026-12-07\t0:01\t日報2\n"
                           "2026-12-06T09:05:02\t2026-12-06\t9:00\t日曜分\n"
                           "2026-12-07T00:04:00\t2026-12-06\t23:59\t日報\n"
                           "壊れた行\n");
    StderrCapture log;
    start(monday(0, 0, 10));
    // What was dropped is gone from the file at once, the rest in the order they come due.
    EXPECT_EQ(readFileBytes(runnerStateFolder() + QStringLiteral("/snoozes.txt")),
              "2026-12-07T00:04:00\t2026-12-06\t23:59\t日報\n2026-12-07T00:06:00\t2026-12-07\t0:01\t日報2\n");
    runUntil(monday(0, 7));
    const QStringList lines = log.lines();
    EXPECT_EQ(
        lines.filter(QStringLiteral("前日までの再通知は表示しません: 9:00 日曜分（再通知 2026/12/6 9:05:02）")).size(),
        1)
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("再通知の予定の壊れた行を読み飛ばします: 壊れた行")).size(), 1);
    EXPECT_EQ(joined(announced), joined({"0:04:00 23:59 日報", "0:06:00 0:01 日報2"}));
    EXPECT_EQ(viewer(sunday), (QStringList{"9:00 日曜分  見逃し", "23:59 日報  再通知 0:04"}));
    EXPECT_EQ(readFileBytes(runnerStateFolder() + QStringLiteral("/snoozes.txt")), QByteArray());
}
