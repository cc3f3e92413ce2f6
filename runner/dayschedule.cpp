#include "dayschedule.h"

#include <algorithm>
#include <utility>

namespace corvane {

DayList* DaySchedule::listFor(const QDate& date)
{
    if (!m_buildDate.isValid() || !date.isValid())
        return nullptr;
    if (date == m_buildDate)
        return &m_today;
    if (date == m_buildDate.addDays(1))
        return &m_tomorrow;
    return nullptr;
}

void DaySchedule::setLists(const QDate& buildDate, DayList today, DayList tomorrow)
{
    m_buildDate = buildDate;
    m_today = std::move(today);
    m_tomorrow = std::move(tomorrow);
}

void DaySchedule::setAbbreviations(const Abbreviations& abbreviations)
{
    m_abbreviations = abbreviations;
}

void DaySchedule::sortByTime(DayList& list)
{
    // Stable: entries of equal time keep the order of the categories they came from.
    std::stable_sort(list.begin(), list.end(),
                     [](const ScheduleItem& a, const ScheduleItem& b) { return a.at < b.at; });
}

void DaySchedule::ExpandAbbreviations()
{
    expand(m_today);
    expand(m_tomorrow);
}

void DaySchedule::expand(DayList& list) const
{
    for (ScheduleItem& item : list)
        item.text = m_abbreviations.expand(item.text);
}

} // namespace corvane
