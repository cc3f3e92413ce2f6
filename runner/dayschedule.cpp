#include "dayschedule.h"

#include <QHash>
#include <QPair>
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

namespace {
void keepShown(const DayList& before, DayList& after)
{
    QHash<QPair<QString, QString>, int> shown;
    for (const ScheduleItem& item : before) {
        if (item.shown)
            ++shown[{item.time, item.text}];
    }
    for (ScheduleItem& item : after) {
        auto found = shown.find({item.time, item.text});
        if (found != shown.end() && found.value() > 0) {
            --found.value();
            item.shown = true;
        }
    }
}
} // namespace

void DaySchedule::keepShownFrom(const DayList& today, const DayList& tomorrow)
{
    keepShown(today, m_today);
    keepShown(tomorrow, m_tomorrow);
}

void DaySchedule::setAbbreviations(const Abbreviations& abbreviations) { m_abbreviations = abbreviations; }

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
