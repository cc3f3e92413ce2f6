// The announcement's sequence of steps, driven by a hand-moved clock: sound repetitions and
// their whole-second waits, the speech step, the close at the end of the display period, a
// second announcement during the first, and spans that cross midnight or a clock change.
#include <gtest/gtest.h>

#include "announcement.h"
#include "fakeannouncementtime.h"

#include <QStringList>

using namespace corvane;
using corvane::test::FakeAnnouncementTime;

namespace {

struct Event {
    int64_t at;
    QString what;
};

class RecordingOutput final : public AnnouncementOutput {
public:
    explicit RecordingOutput(const FakeAnnouncementTime& time) : m_time(time) {}
    void showReminder(const QString& caption, const QString& message) override
    {
        add(QStringLiteral("show ") + caption + QStringLiteral(" | ") + message);
    }
    void playSound() override { add(QStringLiteral("play")); }
    void speak(const QString& message) override { add(QStringLiteral("speak ") + message); }
    void closeReminder() override { add(QStringLiteral("close")); }

    std::vector<Event> events;
    std::vector<int64_t> timesOf(const QString& prefix) const
    {
        std::vector<int64_t> times;
        for (const Event& e : events)
            if (e.what.startsWith(prefix))
                times.push_back(e.at);
        return times;
    }
    QStringList names() const
    {
        QStringList list;
        for (const Event& e : events)
            list << e.what.section(QLatin1Char(' '), 0, 0);
        return list;
    }

private:
    void add(const QString& what) { events.push_back({m_time.monotonicMs(), what}); }
    const FakeAnnouncementTime& m_time;
};

ReminderPlan plan(int displaySeconds, int repetitions = 0, bool speech = false)
{
    ReminderPlan p;
    p.displaySeconds = displaySeconds;
    p.soundRepetitions = repetitions;
    p.soundPath = QStringLiteral("/sounds/chime.wav");
    p.speech = speech;
    return p;
}

QDateTime at(int h, int m, int s, int ms = 0) { return QDateTime(QDate(2026, 12, 7), QTime(h, m, s, ms)); }

struct Rig {
    explicit Rig(const ReminderPlan& p, QDateTime wall = at(8, 55, 0, 20))
        : time(std::move(wall)), output(time), announcement(p, time, output)
    {
    }
    FakeAnnouncementTime time;
    RecordingOutput output;
    Announcement announcement;
};

} // namespace

TEST(AnnouncementSound, ThreeRepetitionsFiveToSixSecondsApartThenClose)
{
    // Shown 300 ms into a second: each wait ends when more than 5 whole seconds have passed.
    Rig rig(plan(10, 3), at(8, 55, 0, 300));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("会議\n"));
    rig.time.advance(60'000);

    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play", "play", "play", "close"}));
    const auto plays = rig.output.timesOf(QStringLiteral("play"));
    ASSERT_EQ(plays.size(), 3u);
    EXPECT_EQ(plays[0], 0);
    for (size_t i = 1; i < plays.size(); ++i) {
        EXPECT_GT(plays[i] - plays[i - 1], 5000);
        EXPECT_LE(plays[i] - plays[i - 1], 6000);
    }
    const int64_t closed = rig.output.timesOf(QStringLiteral("close")).at(0);
    EXPECT_GE(closed, 15'000);
    EXPECT_LE(closed, 18'000);
    // The close falls on a whole second of the clock, right after the third wait.
    EXPECT_EQ(closed, 17'700);
    EXPECT_FALSE(rig.announcement.isActive());
    EXPECT_FALSE(rig.time.hasWake());
}

TEST(AnnouncementSound, WaitsEndOnTheWholeSecondOfTheClock)
{
    EXPECT_EQ(Announcement::soundWaitMs(0), 6000);
    EXPECT_EQ(Announcement::soundWaitMs(1), 5999);
    EXPECT_EQ(Announcement::soundWaitMs(999), 5001);
}

TEST(AnnouncementSound, DisplayTimeLongerThanTheSoundPhaseKeepsTheWindowUp)
{
    Rig rig(plan(30, 2), at(8, 55, 0, 0));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    rig.time.advance(29'999);
    EXPECT_TRUE(rig.announcement.isActive());
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("play")), (std::vector<int64_t>{0, 6000}));
    rig.time.advance(1);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")), (std::vector<int64_t>{30'000}));
}

TEST(AnnouncementSound, NoSoundClosesAfterTheDisplayTime)
{
    Rig rig(plan(10), at(8, 55, 0, 40));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    EXPECT_EQ(rig.output.names(), QStringList{"show"});
    rig.time.advance(9'959);
    EXPECT_TRUE(rig.announcement.isActive());
    rig.time.advance(1);
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "close"}));
}

TEST(AnnouncementSound, ZeroOrNegativeDisplayTimeClosesOnceTheStepsAreDone)
{
    Rig rig(plan(0, 1, true), at(8, 55, 0, 0));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    rig.time.advance(6000);
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play", "speak", "close"}));
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")).at(0), 6000);

    Rig negative(plan(-5), at(8, 55, 0, 0));
    negative.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    EXPECT_EQ(negative.output.names(), (QStringList{"show", "close"}));
}

TEST(AnnouncementSpeech, SpeechFollowsTheSoundPhaseWithTheMessage)
{
    Rig rig(plan(10, 1, true), at(8, 55, 0, 500));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("一\n二\n"));
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play"}));
    rig.time.advance(5'500);
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play", "speak"}));
    EXPECT_EQ(rig.output.events.back().what, QStringLiteral("speak 一\n二\n"));
    rig.time.advance(4'000);
    EXPECT_EQ(rig.output.names().last(), QStringLiteral("close"));
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")).at(0), 9'500);
}

TEST(AnnouncementSpeech, SpeechWithoutSoundStartsAtTheShowing)
{
    Rig rig(plan(10, 0, true));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "speak"}));
}

TEST(AnnouncementOverlap, SecondAnnouncementReplacesTheFirstAndCancelsItsRest)
{
    Rig rig(plan(10, 3, true), at(8, 55, 0, 0));
    rig.announcement.start(QStringLiteral("8:55"), QStringLiteral("first\n"));
    rig.time.advance(3'000);
    rig.announcement.start(QStringLiteral("8:55b"), QStringLiteral("second\n"));
    rig.time.advance(120'000);

    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play", "show", "play", "play", "play", "speak", "close"}));
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("play")), (std::vector<int64_t>{0, 3'000, 9'000, 15'000}));
    // Only the newer message is spoken, and the window closes once, at the end of the newer
    // announcement.
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("speak")).size(), 1u);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("speak second")).size(), 1u);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")), (std::vector<int64_t>{21'000}));
    EXPECT_TRUE(rig.output.events[2].what.endsWith(QStringLiteral("| second\n")));
}

TEST(AnnouncementOverlap, NewerDisplayPeriodDecidesTheClose)
{
    Rig rig(plan(10), at(8, 55, 0, 0));
    rig.announcement.start(QStringLiteral("a"), QStringLiteral("first\n"));
    rig.time.advance(8'000);
    rig.announcement.start(QStringLiteral("b"), QStringLiteral("second\n"));
    rig.time.advance(9'999);
    EXPECT_TRUE(rig.announcement.isActive());
    rig.time.advance(1);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")), (std::vector<int64_t>{18'000}));
}

TEST(AnnouncementClock, AnnouncementAcrossMidnightClosesOnTime)
{
    Rig rig(plan(10, 3), at(23, 59, 58, 0));
    rig.announcement.start(reminderCaption(rig.time.wall()), QStringLiteral("x\n"));
    rig.time.advance(60'000);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("play")), (std::vector<int64_t>{0, 6'000, 12'000}));
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")), (std::vector<int64_t>{18'000}));
    EXPECT_EQ(rig.output.events.front().what, QStringLiteral("show   2026/12/7(月)  23:59 | x\n"));
}

TEST(AnnouncementClock, ClockSetBackDuringTheWaitDoesNotStretchIt)
{
    Rig rig(plan(10), at(9, 0, 0, 0));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    rig.time.advance(2'000);
    rig.time.setWall(at(8, 0, 0, 0));
    rig.time.advance(8'000);
    EXPECT_EQ(rig.output.timesOf(QStringLiteral("close")), (std::vector<int64_t>{10'000}));
}

TEST(AnnouncementStop, StopClosesAtOnceAndDropsTheRest)
{
    Rig rig(plan(10, 3, true));
    rig.announcement.start(QStringLiteral("cap"), QStringLiteral("x\n"));
    rig.announcement.stop();
    EXPECT_FALSE(rig.announcement.isActive());
    EXPECT_FALSE(rig.time.hasWake());
    rig.time.advance(60'000);
    EXPECT_EQ(rig.output.names(), (QStringList{"show", "play", "close"}));
    rig.announcement.stop();
    EXPECT_EQ(rig.output.names().size(), 3);
}
