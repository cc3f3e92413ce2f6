// The quick add on real settings files, with the date injected through the clock.
#include <gtest/gtest.h>

#include "clock.h"
#include "profile.h"
#include "quickentry.h"
#include "tempfolder.h"
#include "textcodec.h"
#include "timefield.h"

using namespace corvane;
using namespace corvane::controller;

namespace {

const QString kDate = QStringLiteral("指定日");
const QString kTime = QStringLiteral("時刻");
const QString kText = QStringLiteral("内容");

QDateTime at(int y, int m, int d, int h = 12, int min = 0, int s = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s));
}

class QuickAddTest : public ::testing::Test {
protected:
    QString path() const { return m_folder.file(QStringLiteral("corvane設定.ini")); }
    void seedDated(int n, const QString& date, const QString& time, const QString& text)
    {
        const QString key = QStringLiteral("2-%1").arg(n);
        ASSERT_TRUE(profile::writeString(path(), kDate, key, date));
        ASSERT_TRUE(profile::writeString(path(), kTime, key, time));
        ASSERT_TRUE(profile::writeString(path(), kText, key, text));
    }
    QString read(const QString& section, int n) const
    {
        return profile::readString(path(), section, QStringLiteral("2-%1").arg(n));
    }

    test::TempFolder m_folder;
    ScopedClock m_clock{[] { return at(2026, 12, 7, 8, 54, 55); }};
};

TEST_F(QuickAddTest, TakesTheFirstFreeNumberAfterTheUsedOnes)
{
    for (int n = 0; n < 3; ++n)
        seedDated(n, QStringLiteral("2026/12/%1").arg(8 + n), QStringLiteral("9:00"), QStringLiteral("既存%1").arg(n));

    const QuickEntryResult result =
        RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("9:30"), QStringLiteral("会議")});

    ASSERT_TRUE(result.ok) << result.message.toStdString();
    EXPECT_EQ(result.slot, 3);
    EXPECT_EQ(read(kDate, 3), QStringLiteral("2026/12/7"));
    EXPECT_EQ(read(kTime, 3), QStringLiteral("9:30"));
    EXPECT_EQ(read(kText, 3), QStringLiteral("会議"));
    for (int n = 0; n < 3; ++n)
        EXPECT_EQ(read(kText, n), QStringLiteral("既存%1").arg(n)) << n;
}

TEST_F(QuickAddTest, FillsAGapAndLeavesTheEntriesAroundIt)
{
    seedDated(0, QStringLiteral("2026/12/8"), QStringLiteral("9:00"), QStringLiteral("前"));
    seedDated(2, QStringLiteral("2026/12/9"), QStringLiteral("10:00"), QStringLiteral("後"));

    const QuickEntryResult result =
        RegisterQuickEntry(path(), {QuickDay::Tomorrow, QStringLiteral("7:05"), QStringLiteral("間")});

    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.slot, 1);
    EXPECT_EQ(read(kDate, 1), QStringLiteral("2026/12/8"));
    EXPECT_EQ(read(kText, 1), QStringLiteral("間"));
    EXPECT_EQ(read(kText, 0), QStringLiteral("前"));
    EXPECT_EQ(read(kText, 2), QStringLiteral("後"));
    EXPECT_EQ(read(kDate, 2), QStringLiteral("2026/12/9"));
}

TEST_F(QuickAddTest, OnlyTheDateSectionDecidesWhetherANumberIsFree)
{
    // A left-over time without a date does not make the number used.
    ASSERT_TRUE(profile::writeString(path(), kTime, QStringLiteral("2-0"), QStringLiteral("6:00")));

    const QuickEntryResult result =
        RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("23:00"), QStringLiteral("夜")});

    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.slot, 0);
    EXPECT_EQ(read(kTime, 0), QStringLiteral("23:00"));
}

TEST_F(QuickAddTest, MissingFileIsCreatedWithNumberZero)
{
    ASSERT_FALSE(QFile::exists(path()));
    const QuickEntryResult result = RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("21:05"), QString()});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.slot, 0);
    EXPECT_TRUE(QFile::exists(path()));
    EXPECT_EQ(read(kTime, 0), QStringLiteral("21:05"));
    EXPECT_EQ(read(kText, 0), QString()); // an empty text is registered as such
}

TEST_F(QuickAddTest, TimeAndTextAreStoredAsTyped)
{
    const QString time = QStringLiteral("１０：１５");
    const QString text = QStringLiteral("ＡＢＣ　会議 (第2回)");
    ASSERT_TRUE(RegisterQuickEntry(path(), {QuickDay::Today, time, text}).ok);
    EXPECT_EQ(read(kTime, 0), time);
    EXPECT_EQ(read(kText, 0), text);
}

TEST_F(QuickAddTest, EditorsFileKeepsEveryOtherByteAndGetsCp932Lines)
{
    // A file as the editor writes it on Windows: CP932, CRLF, a comment, other categories.
    const QString original = QStringLiteral("; 手で書いた注記\r\n"
                                            "[時刻]\r\n0-0=9:00\r\n2-0=10:00\r\n"
                                            "[内容]\r\n0-0=朝会～確認\r\n2-0=来客\r\n"
                                            "[指定日]\r\n0-0=毎日\r\n2-0=2026/12/24\r\n"
                                            "[略称登録]\r\n略称0=朝\r\n");
    m_folder.writeBytes(QStringLiteral("corvane設定.ini"), toCp932(original));

    ASSERT_TRUE(RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("15:30"), QStringLiteral("資料送付")}).ok);

    const QByteArray bytes = test::readFileBytes(path());
    const QString expected = QStringLiteral("; 手で書いた注記\r\n"
                                            "[時刻]\r\n0-0=9:00\r\n2-0=10:00\r\n2-1=15:30\r\n"
                                            "[内容]\r\n0-0=朝会～確認\r\n2-0=来客\r\n2-1=資料送付\r\n"
                                            "[指定日]\r\n0-0=毎日\r\n2-0=2026/12/24\r\n2-1=2026/12/7\r\n"
                                            "[略称登録]\r\n略称0=朝\r\n");
    EXPECT_EQ(bytes, toCp932(expected)) << bytes.toStdString();
}

struct TomorrowCase {
    const char* name;
    QDate today;
    const char* expected;
};

class QuickAddTomorrowTest : public ::testing::TestWithParam<TomorrowCase> {};

TEST_P(QuickAddTomorrowTest, WritesTheNextCalendarDay)
{
    const TomorrowCase& c = GetParam();
    test::TempFolder folder;
    const QString path = folder.file(QStringLiteral("corvane設定.ini"));
    ScopedClock clock([&] { return QDateTime(c.today, QTime(23, 59, 59)); });

    const QuickEntryResult result =
        RegisterQuickEntry(path, {QuickDay::Tomorrow, QStringLiteral("0:10"), QStringLiteral("翌")});

    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.date, QString::fromUtf8(c.expected));
    EXPECT_EQ(profile::readString(path, kDate, QStringLiteral("2-0")), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(DayEnds, QuickAddTomorrowTest,
                         ::testing::Values(TomorrowCase{"YearEnd", QDate(2026, 12, 31), "2027/1/1"},
                                           TomorrowCase{"MonthEnd", QDate(2026, 4, 30), "2026/5/1"},
                                           TomorrowCase{"FebruaryCommon", QDate(2027, 2, 28), "2027/3/1"},
                                           TomorrowCase{"FebruaryLeap", QDate(2028, 2, 28), "2028/2/29"},
                                           TomorrowCase{"LeapDay", QDate(2028, 2, 29), "2028/3/1"},
                                           TomorrowCase{"MidMonth", QDate(2026, 1, 9), "2026/1/10"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QuickAddTest, AllFiftyNumbersInUseRefusesAndOverwritesNothing)
{
    for (int n = 0; n < 49; ++n)
        seedDated(n, QStringLiteral("2026/12/24"), QStringLiteral("9:00"), QStringLiteral("予定%1").arg(n));
    const QuickEntryResult last =
        RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("9:30"), QStringLiteral("最後")});
    ASSERT_TRUE(last.ok);
    EXPECT_EQ(last.slot, 49);
    const QByteArray before = test::readFileBytes(path());

    const QuickEntryResult result =
        RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("10:00"), QStringLiteral("溢れ")});

    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("指定日の登録は50件までです"));
    EXPECT_EQ(test::readFileBytes(path()), before);
    EXPECT_EQ(read(kDate, 50), QString());
}

TEST_F(QuickAddTest, EmptyOrUnreadableTimeIsRefusedWithoutWriting)
{
    QuickEntryResult result = RegisterQuickEntry(path(), {QuickDay::Today, QString(), QStringLiteral("時刻なし")});
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, QStringLiteral("時刻を記入してください"));

    result = RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("　"), QStringLiteral("空白")});
    EXPECT_EQ(result.message, QStringLiteral("時刻を記入してください"));

    result = RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("9時"), QStringLiteral("x")});
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.message.isEmpty());

    // Text the settings file cannot hold: named, not stored as "?".
    result = RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("9:00"), QStringLiteral("会議😀한글～①")});
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.message.contains(QStringLiteral("「😀」「한」「글」"))) << qPrintable(result.message);

    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(QuickAddTest, FailedWriteIsReported)
{
    // The settings file's folder is a plain file: nothing can be written below it.
    m_folder.writeBytes(QStringLiteral("folder"), "not a folder");
    const QString unwritable = m_folder.file(QStringLiteral("folder/corvane設定.ini"));

    const QuickEntryResult result =
        RegisterQuickEntry(unwritable, {QuickDay::Today, QStringLiteral("10:00"), QStringLiteral("x")});

    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(
        result.message.startsWith(QStringLiteral("設定ファイルに書き込めませんでした。予定は登録されていません\n")));
    EXPECT_EQ(result.slot, -1);

    // A file the user made read-only stays as it is.
    seedDated(0, QStringLiteral("2026/12/24"), QStringLiteral("9:00"), QStringLiteral("予定"));
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    const QByteArray before = test::readFileBytes(path());
    const QuickEntryResult readOnly =
        RegisterQuickEntry(path(), {QuickDay::Today, QStringLiteral("10:00"), QStringLiteral("x")});
    EXPECT_FALSE(readOnly.ok);
    EXPECT_TRUE(readOnly.message.contains(QStringLiteral("読み取り専用"))) << qPrintable(readOnly.message);
    EXPECT_EQ(test::readFileBytes(path()), before);
}

// The time field's check: what may leave the field.
struct TimeFieldCase {
    const char* name;
    const char* text;
    bool today;
    QTime now;
    bool accepted;
};

class TimeFieldTest : public ::testing::TestWithParam<TimeFieldCase> {};

TEST_P(TimeFieldTest, Verdict)
{
    const TimeFieldCase& c = GetParam();
    const QDateTime now(QDate(2026, 12, 7), c.now);
    EXPECT_EQ(acceptTimeField(QString::fromUtf8(c.text), c.today, now), c.accepted);
}

INSTANTIATE_TEST_SUITE_P(Cases, TimeFieldTest,
                         ::testing::Values(TimeFieldCase{"EmptyToday", "", true, QTime(23, 0), true},
                                           TimeFieldCase{"EmptyTomorrow", "", false, QTime(23, 0), true},
                                           TimeFieldCase{"LaterToday", "9:30", true, QTime(9, 29, 59), true},
                                           TimeFieldCase{"SameSecondToday", "9:30", true, QTime(9, 30, 0, 900), true},
                                           TimeFieldCase{"CurrentMinuteAfterItsFirstSecond", "9:30", true,
                                                         QTime(9, 30, 1), false},
                                           TimeFieldCase{"EarlierToday", "8:00", true, QTime(9, 30), false},
                                           TimeFieldCase{"EarlierTomorrow", "8:00", false, QTime(9, 30), true},
                                           TimeFieldCase{"TwoDigitHour", "21:05", true, QTime(21, 4), true},
                                           TimeFieldCase{"WithSeconds", "9:30:15", true, QTime(9, 30, 10), true},
                                           TimeFieldCase{"WithSecondsPassed", "9:30:15", true, QTime(9, 30, 16), false},
                                           TimeFieldCase{"FullWidth", "１０：００", true, QTime(9, 0), true},
                                           TimeFieldCase{"Midnight", "0:00", false, QTime(12, 0), true},
                                           TimeFieldCase{"HourOutOfRange", "24:00", false, QTime(0, 0), false},
                                           TimeFieldCase{"MinuteOutOfRange", "9:60", false, QTime(0, 0), false},
                                           TimeFieldCase{"Words", "会議", false, QTime(0, 0), false},
                                           TimeFieldCase{"BareDate", "2026/12/8", false, QTime(0, 0), false},
                                           TimeFieldCase{"HourOnly", "9", false, QTime(0, 0), false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
