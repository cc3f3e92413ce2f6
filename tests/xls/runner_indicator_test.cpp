// The runner's day lists with the indicator workbook: today's releases join today's list
// sorted among the entries, tomorrow's join tomorrow's; a damaged workbook leaves the
// entries alone.
#include "clock.h"
#include "dayschedule.h"
#include "indicatorworkbook.h"
#include "runnertestsupport.h"
#include "tempfolder.h"
#include "xls/xlswriter.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDate kMonday(2026, 12, 7);

QStringList lines(const DayList& list)
{
    QStringList out;
    for (const ScheduleItem& item : list)
        out << item.time + QLatin1Char(' ') + item.text;
    return out;
}

class IndicatorRows : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeSettings(settings, {
                                    {QStringLiteral("時刻"), QStringLiteral("0-0"), QStringLiteral("9:00")},
                                    {QStringLiteral("内容"), QStringLiteral("0-0"), QStringLiteral("朝会")},
                                    {QStringLiteral("時刻"), QStringLiteral("3-0"), QStringLiteral("22:00")},
                                    {QStringLiteral("内容"), QStringLiteral("3-0"), QStringLiteral("月曜の締め")},
                                });
    }

    void build(const QString& economicFetch = QStringLiteral("1"))
    {
        ScopedClock clock([] { return QDateTime(kMonday, QTime(7, 0)); });
        schedule.LoadHolidays(settings);
        schedule.BuildDaySchedule(settings, economicFetch);
    }

    void writeReleases()
    {
        QString error;
        ASSERT_TRUE(WriteIndicatorWorkbook(workbook,
                                           {
                                               {kMonday.addDays(-1), QTime(10, 0), QStringLiteral("昨日の指標")},
                                               {kMonday, QTime(21, 30), QStringLiteral("米雇用統計")},
                                               {kMonday, QTime(9, 0), QStringLiteral("同時刻の指標")},
                                               {kMonday.addDays(1), QTime(8, 50), QStringLiteral("GDP改定値")},
                                               {kMonday.addDays(2), QTime(8, 0), QStringLiteral("明後日の指標")},
                                           },
                                           &error))
            << error.toStdString();
    }

    TempFolder folder;
    QString settings = folder.file(QStringLiteral("corvane設定.ini"));
    QString workbook = folder.file(QStringLiteral("経済指標.xls"));
    DaySchedule schedule;
};

const QStringList kEntriesToday = {QStringLiteral("9:00 朝会"), QStringLiteral("22:00 月曜の締め")};
const QStringList kEntriesTomorrow = {QStringLiteral("9:00 朝会")};

} // namespace

TEST_F(IndicatorRows, JoinTodayAndTomorrowSortedAmongTheEntries)
{
    writeReleases();
    build();
    // An equal time keeps the entry ahead of the release.
    const QStringList today = {QStringLiteral("9:00 朝会"), QStringLiteral("9:00 同時刻の指標"),
                               QStringLiteral("21:30 米雇用統計"), QStringLiteral("22:00 月曜の締め")};
    const QStringList tomorrow = {QStringLiteral("8:50 GDP改定値"), QStringLiteral("9:00 朝会")};
    EXPECT_EQ(lines(schedule.today()), today);
    EXPECT_EQ(lines(schedule.tomorrow()), tomorrow);
    EXPECT_EQ(schedule.today()[2].at, QTime(21, 30));
    EXPECT_EQ(derivedList(settings, QStringLiteral("本日の予定")), today);
    EXPECT_EQ(derivedList(settings, QStringLiteral("翌日の予定")), tomorrow);
}

TEST_F(IndicatorRows, OnlyWhenTheImportIsOn)
{
    writeReleases();
    for (const QString& fetch : {QString(), QStringLiteral("0"), QStringLiteral(" 1"), QStringLiteral("１")}) {
        build(fetch);
        EXPECT_EQ(lines(schedule.today()), kEntriesToday) << fetch.toStdString();
        EXPECT_EQ(lines(schedule.tomorrow()), kEntriesTomorrow) << fetch.toStdString();
    }
}

TEST_F(IndicatorRows, ADamagedWorkbookLeavesTheEntriesAlone)
{
    writeReleases();
    QByteArray bytes = readFileBytes(workbook);
    bytes.truncate(bytes.size() / 2);
    folder.writeBytes(QStringLiteral("経済指標.xls"), bytes);
    build();
    EXPECT_EQ(lines(schedule.today()), kEntriesToday);
    EXPECT_EQ(lines(schedule.tomorrow()), kEntriesTomorrow);

    folder.writeBytes(QStringLiteral("経済指標.xls"), QByteArray("not a workbook"));
    build();
    EXPECT_EQ(lines(schedule.today()), kEntriesToday);
}

TEST_F(IndicatorRows, ARowThatIsNotADateEndsTheReadKeepingWhatCameBefore)
{
    xls::Workbook book;
    book.sheet.setName(QStringLiteral("経済指標"));
    xls::CellFormat date;
    date.numberFormat = xls::kDateWithWeekdayFormat;
    xls::CellFormat time;
    time.numberFormat = xls::kHourMinuteFormat;
    book.sheet.setText(0, 0, QStringLiteral("年月日"));
    book.sheet.setDate(1, 0, kMonday, date);
    book.sheet.setTime(1, 1, QTime(12, 0), time);
    book.sheet.setText(1, 2, QStringLiteral("正午の指標"));
    book.sheet.setText(2, 0, QStringLiteral("壊れた日付"));
    book.sheet.setDate(3, 0, kMonday, date);
    book.sheet.setTime(3, 1, QTime(13, 0), time);
    book.sheet.setText(3, 2, QStringLiteral("読まれない指標"));
    ASSERT_TRUE(xls::saveWorkbook(book, workbook));
    build();
    EXPECT_EQ(lines(schedule.today()), (QStringList{QStringLiteral("9:00 朝会"), QStringLiteral("12:00 正午の指標"),
                                                    QStringLiteral("22:00 月曜の締め")}));
}
