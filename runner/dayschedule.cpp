#include "dayschedule.h"

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
    // Passes of adjacent swaps, only when strictly later: entries of equal time keep the
    // order of the categories they came from.
    const qsizetype count = list.size();
    for (qsizetype pass = 0; pass + 1 < count; ++pass) {
        for (qsizetype i = 0; i + 1 < count; ++i) {
            if (list[i].at > list[i + 1].at)
                list.swapItemsAt(i, i + 1);
        }
    }
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
