// Japan's national holidays against the government's published calendars of 2026 and 2027,
// and equinox days of other years as published.
#include <gtest/gtest.h>

#include "nationalholidays.h"

using namespace corvane;

namespace {

QList<QDate> datesOf(int year)
{
    QList<QDate> dates;
    for (const NationalHoliday& holiday : nationalHolidays(year))
        dates.append(holiday.date);
    return dates;
}

QString nameOn(const QDate& date)
{
    for (const NationalHoliday& holiday : nationalHolidays(date.year())) {
        if (holiday.date == date)
            return holiday.name;
    }
    return {};
}

TEST(NationalHolidays, PublishedCalendars)
{
    const QList<QDate> y2026 = {
        {2026, 1, 1},  {2026, 1, 12}, {2026, 2, 11}, {2026, 2, 23},  {2026, 3, 20}, {2026, 4, 29},
        {2026, 5, 3},  {2026, 5, 4},  {2026, 5, 5},  {2026, 5, 6},   {2026, 7, 20}, {2026, 8, 11},
        {2026, 9, 21}, {2026, 9, 22}, {2026, 9, 23}, {2026, 10, 12}, {2026, 11, 3}, {2026, 11, 23},
    };
    const QList<QDate> y2027 = {
        {2027, 1, 1},  {2027, 1, 11}, {2027, 2, 11},  {2027, 2, 23}, {2027, 3, 21},  {2027, 3, 22},
        {2027, 4, 29}, {2027, 5, 3},  {2027, 5, 4},   {2027, 5, 5},  {2027, 7, 19},  {2027, 8, 11},
        {2027, 9, 20}, {2027, 9, 23}, {2027, 10, 11}, {2027, 11, 3}, {2027, 11, 23},
    };
    EXPECT_EQ(datesOf(2026), y2026);
    EXPECT_EQ(datesOf(2027), y2027);
    EXPECT_EQ(nameOn({2026, 5, 6}), QStringLiteral("振替休日"));
    EXPECT_EQ(nameOn({2026, 9, 22}), QStringLiteral("国民の休日"));
    EXPECT_EQ(nameOn({2027, 3, 22}), QStringLiteral("振替休日"));
    EXPECT_EQ(nameOn({2027, 10, 11}), QStringLiteral("スポーツの日"));
}

TEST(NationalHolidays, EquinoxDays)
{
    const struct {
        int year;
        int spring;
        int autumn;
    } rows[] = {
        {2000, 20, 23}, {2012, 20, 22}, {2023, 21, 23}, {2024, 20, 22}, {2025, 20, 23}, {2092, 19, 22},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(nameOn({row.year, 3, row.spring}), QStringLiteral("春分の日")) << row.year;
        EXPECT_EQ(nameOn({row.year, 9, row.autumn}), QStringLiteral("秋分の日")) << row.year;
    }
}

// The calculator's range: its first and last years have their holidays, the years just outside
// have none (the equinox approximation does not hold there).
TEST(NationalHolidays, RangeEnds)
{
    const struct {
        int year;
        bool has;
    } rows[] = {
        {kFirstHolidayYear - 1, false},
        {kFirstHolidayYear, true},
        {kLastHolidayYear, true},
        {kLastHolidayYear + 1, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.year);
        const QList<QDate> dates = datesOf(row.year);
        EXPECT_EQ(dates.contains(QDate(row.year, 1, 1)), row.has);
        EXPECT_EQ(dates.size() >= 16, row.has);
    }
}

} // namespace
