#pragma once
// The one-second check: which entries of the current day's list have fallen due.
#include <QString>

#include "preparation.h"

namespace corvane {

class Announcer;
class DayHistory;
class DaySchedule;
class MissedReminders;
class PendingSnoozes;

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
    // The lines the user put off, announced when due; none: no snooze is kept.
    void setSnoozes(PendingSnoozes* snoozes) { m_snoozes = snoozes; }
    // Where every announced line is recorded; none: only the log keeps them.
    void setHistory(DayHistory* history) { m_history = history; }

    // Reads Clock::now(); an entry is due from (its time − the advance) for 5 seconds and is
    // announced at most once. All entries due in one check go out as one message, one line
    // (ended by "\n") each, in list order, after the entries shown late and the lines put off
    // that are due ("h:mm text"). The lines are recorded in the day's history and remembered
    // for a snooze. Then tells the announcer whether to hold its output ready for the next
    // entry or snooze.
    Result CheckReminders();

private:
    DaySchedule& m_schedule;
    Announcer* m_announcer;
    MissedReminders* m_missed = nullptr;
    PendingSnoozes* m_snoozes = nullptr;
    DayHistory* m_history = nullptr;
    int m_advanceMinutes = 0;
    PreparationPolicy m_preparation;
};

} // namespace corvane
