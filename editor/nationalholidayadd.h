#pragma once
// "国民の祝日を追加": the national holidays from today to the end of next year, put into the
// general settings window's holiday list as if the user had typed each date and pressed "追加".
#include <QString>
#include <QStringList>

namespace corvane::editor {

// The most dates the button fills the holiday list up to.
inline constexpr int kHolidayListLimit = 60;

struct NationalHolidayAddition {
    QStringList list; // the holiday list afterwards
    QString message;  // for the user when some holidays did not fit; empty otherwise
};

// The list rebuilt (past dates dropped, as every "追加" does) with the national holidays from
// Clock::today() to the end of next year appended in date order, leaving out dates the list
// already holds. When the list would pass kHolidayListLimit, the earliest that fit are added
// and the message says how many were left out.
NationalHolidayAddition addNationalHolidays(const QStringList& items);

} // namespace corvane::editor
