#pragma once
// The calendar table turned into release rows: one row per release with its date, its time in
// local (Japanese) time and its name. Pure functions: "today" is passed in.
#include "htmltable.h"
#include "indicatorworkbook.h"

#include <QDate>
#include <QList>
#include <QStringList>

namespace corvane {

// Hours by which local time is ahead of each zone ("時差" ET, CET, GMT).
struct TimeDifferences {
    int et = 0;
    int cet = 0;
    int gmt = 0;
};

// The calendar's columns in the grid (the worksheet's AA to AD).
inline constexpr int kDayColumn = 0;
inline constexpr int kDomesticColumn = 2;
inline constexpr int kForeignColumn = 3;

// A month's calendar holds a few hundred releases. A page with more than this many keeps the
// earliest: the workbook's writing takes about a kilobyte a row, and a page within the size cap
// could otherwise take the import program past its memory bound.
inline constexpr int kMaxCalendarReleases = 10'000;
// The first reasons show what is wrong with a page; the rest are counted in one line, so that a
// page of a hundred thousand unreadable rows does not fill the log (and push out the rest).
inline constexpr int kMaxDroppedReasons = 100;
// Likewise for the notes on unknown zone markers: the first markers are named, the times with
// any other unknown marker counted.
inline constexpr int kMaxUnknownMarkerNotes = 10;

struct CalendarConversion {
    QList<IndicatorRow> rows;   // sorted by date, then time (stable: table order otherwise)
    QStringList droppedReasons; // a line per release left out, saying why (one counting those past the first 100)
    int releaseCells = 0;       // cells that held a release (":" as third character)
    QStringList notes;          // a line per unknown zone marker, whose times stay unshifted (one
                                // counting those past the first 10), and one when releases past
                                // kMaxCalendarReleases were left out
};

// Converts the grid. From the second row on, an empty day cell takes the day of the row above
// (the first row only lends its day to the second). A domestic cell "hh:mm name" gives a row
// at that time; a foreign cell "hh:mmET name" (CE = CET, GM = GMT) is shifted by the zone's
// hours, a shift past midnight moving the release to the next day (across a month end into the
// next month). An unknown zone marker keeps the time unshifted. The date is today's year and
// month with the day cell's day; a day cell that gives no valid date, or a time that is not a
// time of day, drops that release with a reason. The name is the text after the first blank
// (the whole text without one). Domestic rows come before foreign rows before the sort.
CalendarConversion ConvertCalendarGrid(const TableGrid& grid, const TimeDifferences& differences, QDate today);

} // namespace corvane
