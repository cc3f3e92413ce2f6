#pragma once
// Japan's national holidays of a year under the present law, so that the user need not type
// them into the holiday list by hand.
#include <QDate>
#include <QList>
#include <QString>

namespace corvane {

struct NationalHoliday {
    QDate date;
    QString name; // "元日", "振替休日", "国民の休日", ...
};

// First and last year whose equinox days the approximation below gives.
inline constexpr int kFirstHolidayYear = 1980;
inline constexpr int kLastHolidayYear = 2099;

// The national holidays of the year in date order: the fixed-date and Monday holidays, the
// equinox days, the substitute holiday after a holiday on a Sunday and the day between two
// holidays. The rules in force now are applied to every year (past years' special dates are
// not reproduced). Empty for a year outside kFirstHolidayYear..kLastHolidayYear.
QList<NationalHoliday> nationalHolidays(int year);

} // namespace corvane
