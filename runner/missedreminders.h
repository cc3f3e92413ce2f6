#pragma once
// Reminders whose moment passed while no check ran (the machine slept, the clock leapt
// forward): shown late, once, when the runner notices the gap, unless they are later than the
// user's limit.
#include <QDateTime>
#include <QList>
#include <QSet>
#include <optional>

#include "announcedline.h"
#include "clockgap.h"

namespace corvane {

class DayHistory;
class DaySchedule;

class MissedReminders {
public:
    explicit MissedReminders(ClockGap::Monotonic monotonic = {});

    // The runner starts watching at `now`: a start-up (or a stall before the first check) that
    // lasts longer than the acceptance window is a gap like any other.
    void noteStart(const QDateTime& now) { m_gap.observe(now, 0); }

    // Minutes an entry may be late and still be shown; 0 shows none late.
    void setLimit(int minutes) { m_limitMinutes = minutes; }
    // Where entries later than the limit are recorded as missed; none: only the log says so.
    void setHistory(DayHistory* history) { m_history = history; }

    // Called by every check before it looks for due entries. Notes a gap ending at `now`; then
    // takes from the schedule's lists each entry not shown yet whose start (time − advance)
    // lies in the gap and whose own acceptance window is over, and logs it. Those within the
    // limit are marked shown and returned as Late lines (list order); those beyond it are
    // recorded as missed. While the schedule does not hold the list of `now`'s date (a rebuild
    // for the new day is due), the lines found so far and the rest of the gap wait for the call
    // after the rebuild, so that one window shows them all.
    QList<AnnouncedLine> collect(DaySchedule& schedule, int advanceMinutes, const QDateTime& now);

private:
    struct Pending {
        ClockSpan span;
        QSet<QDate> daysTaken;
        QList<AnnouncedLine> lines;
    };
    void takeDay(DaySchedule& schedule, const QDate& day, int advanceMinutes, const QDateTime& now);
    void logDaysNotHeld(const QDateTime& now) const;

    ClockGap m_gap;
    int m_limitMinutes = 60;
    DayHistory* m_history = nullptr;
    std::optional<Pending> m_pending;
};

} // namespace corvane
