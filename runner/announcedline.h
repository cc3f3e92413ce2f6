#pragma once
// One line of an announcement as the runner decided it, with what the day's history and a later
// snooze need to know about it.
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

namespace corvane {

struct AnnouncedLine {
    enum class Kind {
        OnTime,      // an entry in its acceptance window: the text alone
        Late,        // an entry whose moment passed unseen, within the lateness limit
        Snoozed,     // a line the user put off, due now
        SnoozedLate, // a line the user put off, due while no check ran, within the limit
    };
    QDate day;    // the day whose list the line came from
    QTime time;   // its registered time
    QString text; // as announced (abbreviations expanded)
    Kind kind = Kind::OnTime;
    bool operator==(const AnnouncedLine&) const = default;
};

// The announcer's message: one line each, ended by "\n"; every line but an on-time entry's is
// led by its registered time ("9:00 定例会議"), so that the user sees it is not about now.
QString messageOf(const QList<AnnouncedLine>& lines);

} // namespace corvane
