// The one-second check against a clock the test moves, second by second.
#include "announcer.h"
#include "clock.h"
#include "dayschedule.h"
#include "missedreminders.h"
#include "remindercheck.h"
#include "stderrcapture.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

class RecordingAnnouncer : public Announcer {
public:
    void announce(const QString& message) override { messages.append(message); }
    void setReady(bool r) override { ready = r; }
    QStringList messages;
    bool ready = false;
};

ScheduleItem item(const char* time, const char* text)
{
    const QString t = QString::fromLatin1(time);
    return {t, QTime::fromString(t, QStringLiteral("H:mm")), QString::fromUtf8(text), false};
}

const QDate kMonday(2026, 12, 7);

class CheckFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        clock = std::make_unique<ScopedClock>([this] { return now; });
    }
    // Runs one check per second from `from` to `to`, both included; returns the seconds
    // (as "h:mm:ss") at which a message went out.
    QStringList runSeconds(const QDateTime& from, const QDateTime& to)
    {
        QStringList at;
        for (now = from; now <= to; now = now.addSecs(1), monotonicMs += 1000) {
            const qsizetype before = announcer.messages.size();
            check.CheckReminders();
            if (announcer.messages.size() != before)
                at.append(now.time().toString(QStringLiteral("H:mm:ss")));
        }
        return at;
    }

    // The wall clock jumps to `wake` while the monotonic clock moves one second (a suspend);
    // returns the message of the check that follows, if any.
    QString wakeAt(const QDateTime& wake)
    {
        now = wake;
        monotonicMs += 1000;
        const qsizetype before = announcer.messages.size();
        check.CheckReminders();
        return announcer.messages.size() == before ? QString() : announcer.messages.last();
    }

    QDateTime now;
    qint64 monotonicMs = 0;
    MissedReminders missed{[this] { return monotonicMs; }};
    std::unique_ptr<ScopedClock> clock;
    DaySchedule schedule;
    RecordingAnnouncer announcer;
    ReminderCheck check{schedule, announcer};
};

QDateTime at(const QDate& day, int h, int m, int s) { return QDateTime(day, QTime(h, m, s)); }

} // namespace

TEST_F(CheckFixture, EntryIsAnnouncedOnceInItsFirstFiveSeconds)
{
    schedule.setLists(kMonday, {item("9:00", "朝会")}, {});
    // A tick in each of 9:00:00 … 9:00:04 would be accepted; only the first one announces.
    EXPECT_EQ(runSeconds(at(kMonday, 8, 59, 50), at(kMonday, 9, 1, 0)), QStringList{"9:00:00"});
    EXPECT_EQ(announcer.messages, QStringList{QStringLiteral("朝会\n")});
}

TEST_F(CheckFixture, LateTicksWithinTheWindowStillAnnounce)
{
    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    now = at(kMonday, 9, 0, 4);
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::Announced);

    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    now = at(kMonday, 9, 0, 5);
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::Quiet);
}

TEST_F(CheckFixture, AdvanceMovesTheWindowEarlier)
{
    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    check.setAdvance(10);
    EXPECT_EQ(runSeconds(at(kMonday, 8, 49, 58), at(kMonday, 9, 0, 10)), QStringList{"8:50:00"});
}

TEST_F(CheckFixture, EntriesDueTogetherMakeOneMessageInListOrder)
{
    schedule.setLists(kMonday, {item("8:30", "X"), item("9:00", "毎日"), item("9:00", "月曜")}, {});
    runSeconds(at(kMonday, 9, 0, 0), at(kMonday, 9, 0, 10));
    EXPECT_EQ(announcer.messages, QStringList{QStringLiteral("毎日\n月曜\n")});
}

TEST_F(CheckFixture, StartBeforeMidnightIsNeverDue)
{
    schedule.setLists(kMonday, {item("0:03", "early")}, {item("0:03", "early")});
    check.setAdvance(5);
    EXPECT_TRUE(runSeconds(at(kMonday, 0, 0, 0), at(kMonday, 0, 5, 0)).isEmpty());
    // Nor from the previous evening: the calendar day picks the list.
    EXPECT_TRUE(runSeconds(at(kMonday, 23, 57, 0), at(kMonday, 23, 59, 59)).isEmpty());
}

TEST_F(CheckFixture, EndPastMidnightMatchesUntilTheDayEnds)
{
    schedule.setLists(kMonday, {item("23:59", "last")}, {});
    EXPECT_EQ(runSeconds(at(kMonday, 23, 58, 0), at(kMonday, 23, 59, 59)), QStringList{"23:59:00"});
}

TEST_F(CheckFixture, StartedAfterTheWindowNeverAnnounces)
{
    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    EXPECT_TRUE(runSeconds(at(kMonday, 9, 0, 10), at(kMonday, 9, 30, 0)).isEmpty());
}

TEST_F(CheckFixture, OutputIsReadyAheadOfAnEntryAndReleasedWhenNoneIsNear)
{
    const struct {
        const char* name;
        DayList today;
        DayList tomorrow;
        int advance;
        QDateTime from, to;
        QStringList changes;
    } rows[] = {
        {"kept between near entries, released when the next is far",
         {item("9:00", "A"), item("9:04", "B"), item("9:30", "C")},
         {},
         0,
         at(kMonday, 8, 59, 0),
         at(kMonday, 9, 10, 0),
         {"8:59:50 ready", "9:04:00 released"}},
        {"the advance moves it earlier",
         {item("9:00", "A")},
         {},
         10,
         at(kMonday, 8, 49, 0),
         at(kMonday, 8, 51, 0),
         {"8:49:50 ready", "8:50:00 released"}},
        {"a start within the lead gets ready at once",
         {item("9:00", "A")},
         {},
         0,
         at(kMonday, 8, 59, 55),
         at(kMonday, 9, 1, 0),
         {"8:59:55 ready", "9:00:00 released"}},
        {"tomorrow's first entry just after midnight",
         {},
         {item("0:00", "A")},
         0,
         at(kMonday, 23, 59, 30),
         at(kMonday.addDays(1), 0, 0, 30),
         {"23:59:50 ready", "0:00:00 released"}},
        {"an entry never due never makes it ready",
         {},
         {item("0:03", "A")},
         5,
         at(kMonday, 23, 59, 0),
         at(kMonday.addDays(1), 0, 1, 0),
         {}},
        {"nor one already shown",
         {{QStringLiteral("9:00"), QTime(9, 0), QStringLiteral("A"), true}},
         {},
         0,
         at(kMonday, 8, 59, 0),
         at(kMonday, 9, 1, 0),
         {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ReminderCheck rowCheck{schedule, announcer};
        rowCheck.setAdvance(row.advance);
        schedule.setLists(kMonday, row.today, row.tomorrow);
        announcer.ready = false;
        // The seconds at which the announcer was told to get ready or to release.
        QStringList changes;
        for (now = row.from; now <= row.to; now = now.addSecs(1)) {
            const bool wasReady = announcer.ready;
            rowCheck.CheckReminders();
            if (announcer.ready != wasReady)
                changes.append(now.time().toString(QStringLiteral("H:mm:ss"))
                               + (announcer.ready ? " ready" : " released"));
        }
        EXPECT_EQ(changes, row.changes);
    }
}

TEST_F(CheckFixture, ListIsChosenByDate)
{
    schedule.setLists(kMonday, {item("9:00", "月曜分")}, {item("9:00", "火曜分")});
    runSeconds(at(kMonday, 9, 0, 0), at(kMonday, 9, 0, 1));
    runSeconds(at(kMonday.addDays(1), 9, 0, 0), at(kMonday.addDays(1), 9, 0, 1));
    EXPECT_EQ(announcer.messages, (QStringList{QStringLiteral("月曜分\n"), QStringLiteral("火曜分\n")}));

    now = at(kMonday.addDays(2), 9, 0, 0);
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::OtherDay);
    now = at(kMonday.addDays(-1), 9, 0, 0);
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::OtherDay);
    EXPECT_EQ(announcer.messages.size(), 2);
}

TEST_F(CheckFixture, EntriesMissedInAGapAreShownLateWithinTheLimit)
{
    const struct {
        const char* name;
        DayList today;
        int advance;
        int limit;
        QTime asleep, wake;
        const char* message; // of the check at `wake`; "" for none
    } rows[] = {
        {"missed ones shown with their time",
         {item("8:30", "朝礼"), item("9:00", "定例会議")},
         0,
         60,
         {8, 20},
         {9, 20},
         "8:30 朝礼\n9:00 定例会議\n"},
        {"the advance moves the start", {item("9:00", "定例会議")}, 10, 60, {8, 45}, {8, 55}, "9:00 定例会議\n"},
        {"beyond the limit", {item("9:00", "定例会議")}, 0, 60, {8, 50}, {10, 0, 1}, ""},
        {"exactly at the limit", {item("9:00", "定例会議")}, 0, 60, {8, 50}, {10, 0}, "9:00 定例会議\n"},
        {"limit 0 shows nothing late", {item("9:00", "定例会議")}, 0, 0, {8, 50}, {9, 0, 5}, ""},
        {"woken inside its window: on time", {item("9:00", "定例会議")}, 0, 0, {8, 50}, {9, 0, 4}, "定例会議\n"},
        {"woken as its window ends: late", {item("9:00", "定例会議")}, 0, 60, {8, 50}, {9, 0, 5}, "9:00 定例会議\n"},
        {"late and on time in one window",
         {item("8:30", "朝礼"), item("9:00", "定例会議")},
         0,
         60,
         {8, 20},
         {9, 0, 1},
         "8:30 朝礼\n定例会議\n"},
        {"shown before the sleep", {item("8:30", "朝礼")}, 0, 60, {8, 30}, {9, 0}, ""},
        {"a start before midnight is never due", {item("0:03", "早朝")}, 5, 60, {0, 0}, {0, 30}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        schedule.setLists(kMonday, row.today, {});
        check.setAdvance(row.advance);
        missed.setLimit(row.limit);
        check.setMissedReminders(&missed);
        announcer.messages.clear();
        now = QDateTime(kMonday, row.asleep);
        check.CheckReminders();
        const qsizetype before = announcer.messages.size();
        EXPECT_EQ(wakeAt(QDateTime(kMonday, row.wake)), QString::fromUtf8(row.message));
        EXPECT_LE(announcer.messages.size(), before + 1);
        // The next ticks repeat nothing.
        runSeconds(now.addSecs(1), now.addSecs(10));
        EXPECT_EQ(announcer.messages.size(), before + (*row.message ? 1 : 0));
        // Ends this row's gap; the next row starts on a fresh clock.
        monotonicMs += 24 * 3600 * 1000;
    }
}

// The runner was not scheduled for a while (stopped, swapped out): both clocks moved on, and
// what came due meanwhile is shown late as after a sleep, and logged as a stall.
TEST_F(CheckFixture, AStalledCheckShowsWhatItPassedLate)
{
    check.setMissedReminders(&missed);
    schedule.setLists(kMonday, {item("9:00", "A"), item("9:00", "B")}, {});
    now = at(kMonday, 8, 59, 58);
    check.CheckReminders();
    test::StderrCapture log;
    now = at(kMonday, 9, 0, 28);
    monotonicMs += 30000;
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::Announced);
    EXPECT_EQ(announcer.messages, QStringList{QStringLiteral("9:00 A\n9:00 B\n")});
    const QStringList lines = log.lines();
    EXPECT_EQ(lines.filter(QStringLiteral("2026/12/7 8:59:58 から 2026/12/7 9:00:28 まで予定の確認が止まっていました"))
                  .size(),
              1)
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.filter(QStringLiteral("スリープ")).isEmpty());
}

TEST_F(CheckFixture, AnEntryShownLateIsNotRepeatedWhenTheClockIsSetBack)
{
    check.setMissedReminders(&missed);
    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    now = at(kMonday, 8, 50, 0);
    check.CheckReminders();
    EXPECT_EQ(wakeAt(at(kMonday, 9, 20, 0)), QStringLiteral("9:00 A\n"));
    EXPECT_TRUE(runSeconds(at(kMonday, 8, 59, 50), at(kMonday, 9, 0, 10)).isEmpty());
    EXPECT_TRUE(wakeAt(at(kMonday, 9, 30, 0)).isEmpty());
}

TEST_F(CheckFixture, AnEntryTooLateToShowComesUpOnTimeWhenTheClockIsSetBack)
{
    check.setMissedReminders(&missed);
    missed.setLimit(0);
    schedule.setLists(kMonday, {item("9:00", "A")}, {});
    now = at(kMonday, 8, 50, 0);
    check.CheckReminders();
    EXPECT_TRUE(wakeAt(at(kMonday, 9, 20, 0)).isEmpty());
    EXPECT_EQ(runSeconds(at(kMonday, 8, 59, 58), at(kMonday, 9, 0, 10)), QStringList{"9:00:00"});
}

TEST_F(CheckFixture, AGapIntoADayNotHeldWaitsForTheRebuildAndShowsOneWindow)
{
    check.setMissedReminders(&missed);
    const QDate tuesday = kMonday.addDays(1);
    schedule.setLists(kMonday, {item("23:55", "月曜分")}, {item("23:58", "火曜分"), item("0:01", "火曜深夜")});
    now = at(tuesday, 0, 0, 0);
    check.CheckReminders();
    test::StderrCapture log;
    now = at(tuesday.addDays(1), 0, 5, 0);
    monotonicMs += 1000;
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::OtherDay);
    EXPECT_TRUE(announcer.messages.isEmpty());
    // What the runner's rebuild does for the new day.
    schedule.setLists(tuesday.addDays(1), {item("0:02", "水曜分"), item("0:10", "水曜の次")}, {});
    EXPECT_EQ(check.CheckReminders(), ReminderCheck::Result::Announced);
    EXPECT_EQ(announcer.messages, QStringList{QStringLiteral("23:58 火曜分\n0:02 水曜分\n")});
    EXPECT_EQ(runSeconds(at(tuesday.addDays(1), 0, 9, 59), at(tuesday.addDays(1), 0, 10, 0)), QStringList{"0:10:00"});
    const QStringList lines = log.lines();
    EXPECT_EQ(lines
                  .filter(QStringLiteral(
                      "遅れが上限（60分）を超えたため表示しません: 0:01 火曜深夜（表示予定 2026/12/8 0:01:00、24時間"))
                  .size(),
              1)
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(
        lines.filter(QStringLiteral("遅れて表示します: 0:02 水曜分（表示予定 2026/12/9 0:02:00、3分遅れ）")).size(), 1);
}

TEST(DayScheduleSort, EqualTimesKeepTheirOrder)
{
    DayList list{item("9:00", "0-0"), item("8:30", "0-1"), item("9:00", "3-0"), item("10:00", "3-1"),
                 item("8:30", "10-0")};
    DaySchedule::sortByTime(list);
    QStringList texts;
    for (const auto& i : list)
        texts << i.text;
    EXPECT_EQ(texts, (QStringList{"0-1", "10-0", "0-0", "3-0", "3-1"}));

    // More entries of one time than a sort handles by insertion alone still keep their order.
    DayList many;
    QStringList stored;
    for (int n = 0; n < 40; ++n) {
        many.append(item(n % 3 == 0 ? "8:00" : "9:00", QByteArray::number(n).constData()));
        if (n % 3 == 0)
            stored << QString::number(n);
    }
    for (int n = 0; n < 40; ++n)
        if (n % 3 != 0)
            stored << QString::number(n);
    DaySchedule::sortByTime(many);
    texts.clear();
    for (const auto& i : many)
        texts << i.text;
    EXPECT_EQ(texts, stored);
}

TEST(DayScheduleAbbreviations, WholeTextChainsAndTheEmptySlot)
{
    DaySchedule schedule;
    std::array<QString, kAbbreviationSlots> shortForms, fullTexts;
    shortForms[0] = QStringLiteral("MTG");
    fullTexts[0] = QStringLiteral("定例会議");
    shortForms[1] = QStringLiteral("A");
    fullTexts[1] = QStringLiteral("B");
    shortForms[2] = QStringLiteral("B");
    fullTexts[2] = QStringLiteral("C");
    // Slot 3 has no abbreviation but a text: it fills every empty entry text.
    fullTexts[3] = QStringLiteral("（無題）");
    for (int k = 4; k < kAbbreviationSlots; ++k)
        shortForms[size_t(k)] = QStringLiteral("unused%1").arg(k);
    schedule.setAbbreviations({shortForms, fullTexts});
    schedule.setLists(kMonday, {item("9:00", "MTG"), item("9:01", "MTG "), item("9:02", "A"), item("9:03", "")},
                      {item("9:00", "mtg")});
    schedule.ExpandAbbreviations();
    QStringList today;
    for (const auto& i : schedule.today())
        today << i.text;
    EXPECT_EQ(today, (QStringList{"定例会議", "MTG ", "C", "（無題）"}));
    EXPECT_EQ(schedule.tomorrow().front().text, QStringLiteral("mtg")) << "case matters";
}

TEST(DayScheduleAbbreviations, ChainRunsOnlyForwardThroughTheSlots)
{
    DaySchedule schedule;
    std::array<QString, kAbbreviationSlots> shortForms, fullTexts;
    shortForms.fill(QStringLiteral("-"));
    // Slot 5 maps X to Y, slot 2 maps Y to Z: Z is never reached, slot 2 was passed already.
    shortForms[2] = QStringLiteral("Y");
    fullTexts[2] = QStringLiteral("Z");
    shortForms[5] = QStringLiteral("X");
    fullTexts[5] = QStringLiteral("Y");
    schedule.setAbbreviations({shortForms, fullTexts});
    schedule.setLists(kMonday, {item("9:00", "X")}, {});
    schedule.ExpandAbbreviations();
    EXPECT_EQ(schedule.today().front().text, QStringLiteral("Y"));
}
