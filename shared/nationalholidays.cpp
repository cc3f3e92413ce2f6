#include "nationalholidays.h"

#include <algorithm>

namespace corvane {

namespace {

struct FixedDay {
    int month;
    int day;
    const char16_t* name;
};

constexpr FixedDay kFixedDays[] = {
    {1, 1, u"元日"},       {2, 11, u"建国記念の日"},  {2, 23, u"天皇誕生日"}, {4, 29, u"昭和の日"},
    {5, 3, u"憲法記念日"}, {5, 4, u"みどりの日"},     {5, 5, u"こどもの日"},  {8, 11, u"山の日"},
    {11, 3, u"文化の日"},  {11, 23, u"勤労感謝の日"},
};

struct MondayHoliday {
    int month;
    int week; // the n-th Monday of the month
    const char16_t* name;
};

constexpr MondayHoliday kMondayHolidays[] = {
    {1, 2, u"成人の日"},
    {7, 3, u"海の日"},
    {9, 3, u"敬老の日"},
    {10, 2, u"スポーツの日"},
};

QDate nthMonday(int year, int month, int week)
{
    const QDate first(year, month, 1);
    const int toMonday = (Qt::Monday - first.dayOfWeek() + 7) % 7;
    return first.addDays(toMonday + 7 * (week - 1));
}

// The equinox day by the usual approximation for 1980-2099 (the mean tropical year from the
// 1980 equinox, less the leap days). The official dates are fixed by the government's
// announcement each February for the following year; calendars print this estimate until then.
int equinoxDay(int year, double base1980)
{
    const int since = year - 1980;
    return int(base1980 + 0.242194 * since - since / 4);
}

bool holds(const QList<NationalHoliday>& holidays, const QDate& date)
{
    return std::any_of(holidays.cbegin(), holidays.cend(),
                       [&date](const NationalHoliday& h) { return h.date == date; });
}

} // namespace

QList<NationalHoliday> nationalHolidays(int year)
{
    if (year < kFirstHolidayYear || year > kLastHolidayYear)
        return {};

    QList<NationalHoliday> holidays;
    for (const FixedDay& fixed : kFixedDays)
        holidays.append({QDate(year, fixed.month, fixed.day), QString::fromUtf16(fixed.name)});
    for (const MondayHoliday& monday : kMondayHolidays)
        holidays.append({nthMonday(year, monday.month, monday.week), QString::fromUtf16(monday.name)});
    holidays.append({QDate(year, 3, equinoxDay(year, 20.8431)), QStringLiteral("春分の日")});
    holidays.append({QDate(year, 9, equinoxDay(year, 23.2488)), QStringLiteral("秋分の日")});

    // Both rules look only at the holidays proper, never at a day off they themselves made;
    // a day that both rules give is listed once.
    const QList<NationalHoliday> proper = holidays;
    const auto isProper = [&proper](const QDate& date) { return holds(proper, date); };
    const auto addDayOff = [&holidays](const QDate& date, const QString& name) {
        if (!holds(holidays, date))
            holidays.append({date, name});
    };
    for (const NationalHoliday& holiday : proper) {
        if (holiday.date.dayOfWeek() == Qt::Sunday) {
            QDate substitute = holiday.date.addDays(1);
            while (isProper(substitute))
                substitute = substitute.addDays(1);
            addDayOff(substitute, QStringLiteral("振替休日"));
        }
        const QDate between = holiday.date.addDays(1);
        if (!isProper(between) && isProper(between.addDays(1)))
            addDayOff(between, QStringLiteral("国民の休日"));
    }
    std::sort(holidays.begin(), holidays.end(),
              [](const NationalHoliday& a, const NationalHoliday& b) { return a.date < b.date; });
    return holidays;
}

} // namespace corvane
