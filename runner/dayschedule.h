#pragma once
// Today's and tomorrow's announcements, built once from the settings file at start-up (and
// again when the runner outlives the day after its start).
#include "abbreviations.h"
#include "indicatorread.h"
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>
#include <array>
#include <optional>

namespace corvane {

class ProfileTransaction;

// One entry of a day's list. The stored time is kept as written (for the derived lists); its
// parsed form is what the one-second check compares.
struct ScheduleItem {
    QString time;
    QTime at;
    QString text;
    bool shown = false;
};
using DayList = QList<ScheduleItem>;

// DayClass values: 0 Monday … 6 Sunday, 7 a registered holiday (whatever its weekday).
inline constexpr int kHolidayClass = 7;

// Indicator rows taken into one day's list, far more than any real calendar holds in a day: a
// hostile or broken workbook cannot make the lists, the derived sections and every tick huge.
inline constexpr int kMaxIndicatorRowsPerDay = 500;

class DaySchedule {
public:
    // Classifies today and tomorrow (Clock::today()) from "祝日" and sets the build date.
    void LoadHolidays(const QString& settingsPath);
    void LoadHolidays(const ProfileTransaction& file);
    // Builds both lists from the entries (and, when economicFetch is "1", the indicator
    // workbook), sorts them, clears the shown flags and rewrites "本日の予定"/"翌日の予定".
    // Entries whose stored time or date does not parse are skipped and logged. The lists are
    // written over the file as it is under the lock: when it is no longer the file they were
    // built from (another program or a hand editor changed it), they are built again from it
    // first, so the write never rests on a stale or half-written read.
    void BuildDaySchedule(const QString& settingsPath, const QString& economicFetch);
    void BuildDaySchedule(const ProfileTransaction& file, const QString& economicFetch);
    // The indicator workbook as read beforehand (off the event loop): the builds take its rows
    // for that workbook instead of reading it themselves, until it is cleared with nullopt.
    void useIndicatorRead(std::optional<IndicatorWorkbookRead> read) { m_indicatorRead = std::move(read); }
    // Replaces registered abbreviations in both lists (in memory only).
    void ExpandAbbreviations();

    QDate buildDate() const { return m_buildDate; }
    int dayClass(int day) const { return m_dayClass[size_t(day)]; }
    const DayList& today() const { return m_today; }
    const DayList& tomorrow() const { return m_tomorrow; }
    // The list the check uses on `date`: today's on the build date, tomorrow's on the day
    // after; nullptr on any other date.
    DayList* listFor(const QDate& date);

    // After rebuilding the same days: an entry announced from the earlier lists (same time
    // and text, counted once each) stays announced, so a rebuild never announces one twice.
    void keepShownFrom(const DayList& today, const DayList& tomorrow);

    // For callers that hold lists already (and for tests of the check).
    void setLists(const QDate& buildDate, DayList today, DayList tomorrow);
    void setAbbreviations(const Abbreviations& abbreviations);

    // Stable sort by time of day: equal times keep their order.
    static void sortByTime(DayList& list);
    // DayClass of a date that is not a registered holiday.
    static int weekdayClass(const QDate& date) { return date.dayOfWeek() - 1; }

private:
    void classifyDays(const ProfileTransaction& file, const QDate& day0);
    void buildLists(const ProfileTransaction& file, const QString& economicFetch);
    void writeDerivedLists(const ProfileTransaction& file, const QString& economicFetch);
    void appendIndicatorRows(const QString& settingsPath);
    void expand(DayList& list) const;

    std::array<int, 2> m_dayClass{0, 0};
    QDate m_buildDate;
    DayList m_today;
    DayList m_tomorrow;
    Abbreviations m_abbreviations;
    std::optional<IndicatorWorkbookRead> m_indicatorRead;
};

} // namespace corvane
