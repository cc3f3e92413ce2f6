// The day schedule builder on real settings files.
#include "clock.h"
#include "dayschedule.h"
#include "indicatorworkbook.h"
#include "profile.h"
#include "runnertestsupport.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDate kMonday(2026, 12, 7);
const QDate kFriday(2026, 12, 11);

QList<SettingsKey> entryKeys(int category, int number, const QString& time, const QString& text,
                             const QString& date = {})
{
    const QString key = QStringLiteral("%1-%2").arg(category).arg(number);
    QList<SettingsKey> keys;
    if (!date.isEmpty())
        keys.append({QStringLiteral("指定日"), key, date});
    keys.append({QStringLiteral("時刻"), key, time});
    keys.append({QStringLiteral("内容"), key, text});
    return keys;
}

QStringList lines(const DayList& list)
{
    QStringList out;
    for (const ScheduleItem& item : list)
        out << item.time + QLatin1Char(' ') + item.text;
    return out;
}

class Builder : public ::testing::Test {
protected:
    void build(const QDate& today, const QString& economicFetch = {})
    {
        ScopedClock clock([today] { return QDateTime(today, QTime(7, 0)); });
        schedule.LoadHolidays(path);
        schedule.BuildDaySchedule(path, economicFetch);
    }
    void add(const QList<SettingsKey>& keys) { writeSettings(path, keys); }

    TempFolder folder;
    QString path = folder.file(QStringLiteral("corvane設定.ini"));
    DaySchedule schedule;
};

// One entry of every category, its text naming the category.
QList<SettingsKey> oneOfEach(const QDate& day0, const QDate& day1)
{
    QList<SettingsKey> keys;
    for (int c = 0; c <= 10; ++c) {
        if (c == 2)
            continue;
        keys += entryKeys(c, 0, QStringLiteral("%1:00").arg(c + 8), QStringLiteral("c%1").arg(c));
    }
    keys += entryKeys(2, 0, QStringLiteral("12:30"), QStringLiteral("dated0"), day0.toString(u"yyyy/M/d"));
    keys += entryKeys(2, 1, QStringLiteral("12:30"), QStringLiteral("dated1"), day1.toString(u"yyyy/M/d"));
    return keys;
}

} // namespace

TEST_F(Builder, HolidayMondayTakesEveryDayDatedAndHolidayEntriesOnly)
{
    add(oneOfEach(kMonday, kMonday.addDays(1)));
    add({{QStringLiteral("祝日"), QStringLiteral("登録日1"), QStringLiteral("2026/11/23")},
         {QStringLiteral("祝日"), QStringLiteral("登録日2"), QStringLiteral("2026/12/7")}});
    build(kMonday);
    EXPECT_EQ(schedule.dayClass(0), kHolidayClass);
    EXPECT_EQ(schedule.dayClass(1), 1);
    EXPECT_EQ(schedule.buildDate(), kMonday);
    EXPECT_EQ(lines(schedule.today()), (QStringList{"8:00 c0", "12:30 dated0", "18:00 c10"}));
    EXPECT_EQ(lines(schedule.tomorrow()), (QStringList{"8:00 c0", "9:00 c1", "12:00 c4", "12:30 dated1"}));
}

TEST_F(Builder, SaturdayTomorrowTakesNoWeekdayEntries)
{
    add(oneOfEach(kFriday, kFriday.addDays(1)));
    build(kFriday);
    EXPECT_EQ(schedule.dayClass(0), 4);
    EXPECT_EQ(schedule.dayClass(1), 5);
    EXPECT_EQ(lines(schedule.today()), (QStringList{"8:00 c0", "9:00 c1", "12:30 dated0", "15:00 c7"}));
    EXPECT_EQ(lines(schedule.tomorrow()), (QStringList{"8:00 c0", "12:30 dated1", "16:00 c8"}));
}

// Which categories each day draws from, for every weekday as today and as tomorrow, and for a
// holiday as tomorrow (a holiday today is the Monday case above).
TEST_F(Builder, EachDayDrawsFromItsCategories)
{
    const struct Row {
        QDate day;
        const char* holiday;
        QStringList todayTexts, tomorrowTexts;
    } rows[] = {
        {kMonday, "", {"c0", "c1", "c3", "dated0"}, {"c0", "c1", "c4", "dated1"}},
        {kMonday.addDays(1), "", {"c0", "c1", "c4", "dated0"}, {"c0", "c1", "c5", "dated1"}},
        {kMonday.addDays(2), "", {"c0", "c1", "c5", "dated0"}, {"c0", "c1", "c6", "dated1"}},
        {kMonday.addDays(3), "", {"c0", "c1", "c6", "dated0"}, {"c0", "c1", "c7", "dated1"}},
        {kFriday, "", {"c0", "c1", "c7", "dated0"}, {"c0", "c8", "dated1"}},
        {kFriday.addDays(1), "", {"c0", "c8", "dated0"}, {"c0", "c9", "dated1"}},
        {kFriday.addDays(2), "", {"c0", "c9", "dated0"}, {"c0", "c1", "c3", "dated1"}},
        {kFriday.addDays(2), "2026/12/14", {"c0", "c9", "dated0"}, {"c0", "c10", "dated1"}},
    };
    const auto texts = [](const DayList& list) {
        QStringList out;
        for (const ScheduleItem& item : list)
            out << item.text;
        out.sort();
        return out;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.day.toString(u"yyyy/M/d ddd").toStdString() + " " + row.holiday);
        QFile::remove(path);
        add(oneOfEach(row.day, row.day.addDays(1)));
        if (*row.holiday)
            add({{QStringLiteral("祝日"), QStringLiteral("登録日1"), QString::fromUtf8(row.holiday)}});
        schedule = DaySchedule();
        build(row.day);
        EXPECT_EQ(texts(schedule.today()), row.todayTexts);
        EXPECT_EQ(texts(schedule.tomorrow()), row.tomorrowTexts);
    }
}

TEST_F(Builder, EqualTimesAcrossCategoriesKeepCategoryOrder)
{
    add(entryKeys(3, 0, QStringLiteral("9:00"), QStringLiteral("月曜")));
    add(entryKeys(0, 0, QStringLiteral("8:30"), QStringLiteral("毎日早")));
    add(entryKeys(0, 1, QStringLiteral("9:00"), QStringLiteral("毎日")));
    add(entryKeys(1, 0, QStringLiteral("09:00"), QStringLiteral("平日")));
    build(kMonday);
    EXPECT_EQ(lines(schedule.today()), (QStringList{"8:30 毎日早", "9:00 毎日", "09:00 平日", "9:00 月曜"}));
}

// A category's family ends at its first empty time; the dated slots are all read, so a slot
// left without a date (a hand edit, an older save) hides none of the dated entries after it.
TEST_F(Builder, FamilyWalkStopsAtTheFirstGapButDatedSlotsAreAllRead)
{
    add(entryKeys(3, 0, QStringLiteral("9:00"), QStringLiteral("a")));
    add(entryKeys(3, 1, QStringLiteral("10:00"), QStringLiteral("b")));
    add(entryKeys(3, 3, QStringLiteral("11:00"), QStringLiteral("hidden")));
    add(entryKeys(2, 1, QStringLiteral("11:00"), QStringLiteral("after a missing slot"), QStringLiteral("2026/12/7")));
    add(entryKeys(2, 2, QStringLiteral("12:00"), QStringLiteral("no date")));
    add(entryKeys(2, 49, QStringLiteral("23:58"), QStringLiteral("last slot"), QStringLiteral("2026/12/7")));
    build(kMonday);
    EXPECT_EQ(lines(schedule.today()),
              (QStringList{"9:00 a", "10:00 b", "11:00 after a missing slot", "23:58 last slot"}));
}

TEST_F(Builder, MalformedValuesSkipOnlyTheirEntry)
{
    add(entryKeys(3, 0, QStringLiteral("9:00"), QStringLiteral("ok1")));
    add(entryKeys(3, 1, QStringLiteral("25:99"), QStringLiteral("bad time")));
    add(entryKeys(3, 2, QStringLiteral("１０：１５"), QStringLiteral("full-width")));
    add(entryKeys(2, 0, QStringLiteral("9:30"), QStringLiteral("bad date"), QStringLiteral("2026/13/40")));
    // The controller's quick add could once store a dated entry without a time.
    add({{QStringLiteral("指定日"), QStringLiteral("2-1"), QStringLiteral("2026/12/7")},
         {QStringLiteral("内容"), QStringLiteral("2-1"), QStringLiteral("no time")}});
    add(entryKeys(2, 2, QStringLiteral("11:00"), QStringLiteral("dated ok"), QStringLiteral("2026/12/7")));
    add({{QStringLiteral("祝日"), QStringLiteral("登録日1"), QStringLiteral("いつか")},
         {QStringLiteral("祝日"), QStringLiteral("登録日2"), QStringLiteral("2026/12/8")}});
    StderrCapture log;
    build(kMonday);
    // Each skipped value leaves one readable line that names where it stands.
    const QStringList logged = log.lines();
    const QString all = logged.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(u"時刻/3-1 の値 \"25:99\" は時刻として読めない")) << all.toStdString();
    EXPECT_TRUE(all.contains(u"指定日/2-0 の値 \"2026/13/40\" は日付として読めない")) << all.toStdString();
    EXPECT_TRUE(all.contains(u"祝日/登録日1 の値 \"いつか\" は日付として読めない")) << all.toStdString();
    EXPECT_EQ(lines(schedule.today()), (QStringList{"9:00 ok1", "１０：１５ full-width", "11:00 dated ok"}));
    EXPECT_EQ(schedule.dayClass(1), kHolidayClass) << "a bad holiday must not hide the next one";
    // The derived list holds no entry without a time: the viewer's walk would stop there.
    EXPECT_EQ(derivedList(path, QStringLiteral("本日の予定")),
              (QStringList{"9:00 ok1", "１０：１５ full-width", "11:00 dated ok"}));
}

TEST_F(Builder, DerivedListsAreReplacedWholeWithShortForms)
{
    add({{QStringLiteral("本日の予定"), QStringLiteral("時刻0"), QStringLiteral("1:00")},
         {QStringLiteral("本日の予定"), QStringLiteral("内容0"), QStringLiteral("old0")},
         {QStringLiteral("本日の予定"), QStringLiteral("時刻1"), QStringLiteral("2:00")},
         {QStringLiteral("本日の予定"), QStringLiteral("内容1"), QStringLiteral("old1")},
         {QStringLiteral("本日の予定"), QStringLiteral("時刻2"), QStringLiteral("3:00")},
         {QStringLiteral("本日の予定"), QStringLiteral("内容2"), QStringLiteral("old2")},
         {QStringLiteral("翌日の予定"), QStringLiteral("時刻0"), QStringLiteral("4:00")},
         {QStringLiteral("翌日の予定"), QStringLiteral("内容0"), QStringLiteral("old")},
         {QStringLiteral("略称登録"), QStringLiteral("略称0"), QStringLiteral("MTG")},
         {QStringLiteral("略称登録"), QStringLiteral("内容0"), QStringLiteral("定例会議")}});
    add(entryKeys(3, 0, QStringLiteral("9:00"), QStringLiteral("MTG")));
    build(kMonday);
    schedule.ExpandAbbreviations();
    EXPECT_EQ(schedule.today().front().text, QStringLiteral("定例会議"));
    EXPECT_EQ(derivedList(path, QStringLiteral("本日の予定")), QStringList{"9:00 MTG"});
    EXPECT_TRUE(derivedList(path, QStringLiteral("翌日の予定")).isEmpty());
    EXPECT_TRUE(profile::readString(path, QStringLiteral("本日の予定"), QStringLiteral("内容2")).isEmpty());
}

TEST_F(Builder, MissingFileGivesEmptyListsAndWritesNothing)
{
    build(kMonday);
    EXPECT_TRUE(schedule.today().isEmpty());
    EXPECT_TRUE(schedule.tomorrow().isEmpty());
    EXPECT_EQ(schedule.dayClass(0), 0);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(Builder, IndicatorImportOnWithoutWorkbookAddsNothing)
{
    add(entryKeys(0, 0, QStringLiteral("9:00"), QStringLiteral("a")));
    build(kMonday, QStringLiteral("1"));
    EXPECT_EQ(lines(schedule.today()), QStringList{"9:00 a"});
}

// The runner reads the workbook off its event loop before it builds: the build takes those rows,
// and the reason they stopped, for that workbook only, and reads it again once they are cleared.
TEST_F(Builder, AWorkbookReadBeforehandIsTakenForThatWorkbookOnly)
{
    const QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    ASSERT_TRUE(WriteIndicatorWorkbook(workbook, {{kMonday, QTime(10, 0), QStringLiteral("in the file")}}));
    add(entryKeys(0, 0, QStringLiteral("9:00"), QStringLiteral("a")));
    const QList<IndicatorRow> before = {{kMonday, QTime(8, 30), QStringLiteral("read before")}};

    schedule.useIndicatorRead(IndicatorWorkbookRead{workbook, before, QStringLiteral("途中で読めなくなりました")});
    StderrCapture log;
    build(kMonday, QStringLiteral("1"));
    EXPECT_EQ(lines(schedule.today()), (QStringList{"8:30 read before", "9:00 a"}));
    EXPECT_TRUE(log.lines().join(u'\n').contains(QStringLiteral("途中で読めなくなりました")));

    schedule.useIndicatorRead(IndicatorWorkbookRead{folder.file(QStringLiteral("other.xls")), before, {}});
    build(kMonday, QStringLiteral("1"));
    EXPECT_EQ(lines(schedule.today()), (QStringList{"9:00 a", "10:00 in the file"}));
    schedule.useIndicatorRead(std::nullopt);
    build(kMonday, QStringLiteral("1"));
    EXPECT_EQ(lines(schedule.today()), (QStringList{"9:00 a", "10:00 in the file"}));
}

TEST_F(Builder, FullCategoriesTakeFiftyEntriesEach)
{
    QList<SettingsKey> keys;
    for (int n = 0; n < 50; ++n)
        keys += entryKeys(0, n, QStringLiteral("%1:%2").arg(23 - n / 60).arg(59 - n % 60, 2, 10, QLatin1Char('0')),
                          QStringLiteral("e%1").arg(n));
    add(keys);
    build(kMonday);
    ASSERT_EQ(schedule.today().size(), 50);
    EXPECT_EQ(schedule.today().front().text, QStringLiteral("e49"));
    EXPECT_EQ(derivedList(path, QStringLiteral("翌日の予定")).size(), 50);
}

TEST_F(Builder, RebuildWithTheSameListsLeavesTheFileAlone)
{
    add(entryKeys(0, 0, QStringLiteral("9:00"), QStringLiteral("a")));
    build(kMonday);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    build(kMonday);
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    // Every write replaces the file by a new one; the same inode means nothing was written.
    EXPECT_EQ(before.st_ino, after.st_ino);
    EXPECT_EQ(derivedList(path, QStringLiteral("本日の予定")), QStringList{"9:00 a"});

    // A changed entry does reach the file.
    add(entryKeys(0, 0, QStringLiteral("9:30"), QStringLiteral("a")));
    build(kMonday);
    EXPECT_EQ(derivedList(path, QStringLiteral("本日の予定")), QStringList{"9:30 a"});
}
