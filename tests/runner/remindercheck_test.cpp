// The one-second check against a clock the test moves, second by second.
#include "announcer.h"
#include "clock.h"
#include "dayschedule.h"
#include "remindercheck.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

class RecordingAnnouncer : public Announcer {
public:
    void announce(const QString& message) override { messages.append(message); }
    QStringList messages;
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
        for (now = from; now <= to; now = now.addSecs(1)) {
            const qsizetype before = announcer.messages.size();
            check.CheckReminders();
            if (announcer.messages.size() != before)
                at.append(now.time().toString(QStringLiteral("H:mm:ss")));
        }
        return at;
    }

    QDateTime now;
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

TEST(DayScheduleSort, EqualTimesKeepTheirOrder)
{
    DayList list{item("9:00", "0-0"), item("8:30", "0-1"), item("9:00", "3-0"), item("10:00", "3-1"),
                 item("8:30", "10-0")};
    DaySchedule::sortByTime(list);
    QStringList texts;
    for (const auto& i : list)
        texts << i.text;
    EXPECT_EQ(texts, (QStringList{"0-1", "10-0", "0-0", "3-0", "3-1"}));
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
