#pragma once
// The one-second check: which entries of the current day's list have fallen due.
#include <QString>

#include "preparation.h"

namespace corvane {

class Announcer;
class DaySchedule;
class MissedReminders;

class ReminderCheck {
public:
    enum class Result {
        Quiet,     // nothing due this second
        Announced, // one message handed to the announcer
        OtherDay,  // the date is neither the build date nor the day after: rebuild the lists
    };

    ReminderCheck(DaySchedule& schedule, Announcer& announcer) : m_schedule(schedule), m_announcer(&announcer) {}

    // Minutes before an entry's time at which it comes up.
    void setAdvance(int minutes) { m_advanceMinutes = minutes; }
    void setAnnouncer(Announcer& announcer) { m_announcer = &announcer; }
    // Where entries that a gap in the checks passed by are found; none: they are lost.
    void setMissedReminders(MissedReminders* missed) { m_missed = missed; }

    // Reads Clock::now(); an entry is due from (its time − the advance) for 5 seconds and is
    // announced at most once. All entries due in one check go out as one message, one line
    // (ended by "\n") each, in list order, after the entries shown late ("h:mm text").
    // Then tells the announcer whether to hold its output ready for the next entry.
    Result CheckReminders();

private:
    DaySchedule& m_schedule;
    Announcer* m_announcer;
    MissedReminders* m_missed = nullptr;
    int m_advanceMinutes = 0;
    PreparationPolicy m_preparation;
};

} // namespace corvane
