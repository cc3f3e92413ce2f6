#pragma once
// Reminders the user put off ("N分後にもう一度"): which lines come up again when. They are kept
// in a small file of the runner's state folder (never in the settings file), rewritten
// atomically at every change, so that a restart of the runner or a sleep loses none and shows
// none twice.
#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

#include "announcedline.h"

namespace corvane {

class DayHistory;

class PendingSnoozes {
public:
    // `history` (may be null) hears of every snooze and of every one missed.
    PendingSnoozes(const QString& path, DayHistory* history) : m_path(path), m_history(history) {}

    // Minutes a line put off may come up late and still be shown, as for entries; 0 shows none
    // late.
    void setLimit(int minutes) { m_limitMinutes = minutes; }

    // Start-up: the snoozes of the file. Those due on a day before `today` are dropped, logged
    // and recorded as missed; damaged lines are skipped and logged.
    void load(const QDate& today);

    // What a message handed to the announcer was made of, so that a snooze of it knows its
    // lines. The last few messages are remembered.
    void noteAnnounced(const QString& message, const QList<AnnouncedLine>& lines);

    // The user asked to see `message` again `minutes` minutes after `now`. False (logged) when
    // the message is none the runner announced lately or the minutes are out of range.
    bool snooze(const QString& message, int minutes, const QDateTime& now);

    // Takes the lines due by `now`, in the order of their due times: those due within the
    // acceptance window as Snoozed, those later within the limit as SnoozedLate; those later
    // still are logged and recorded as missed.
    QList<AnnouncedLine> takeDue(const QDateTime& now);

    // Seconds from `now` until the next snooze is due (0 when one is due); none when none waits.
    std::optional<int> secondsToNext(const QDateTime& now) const;

    qsizetype size() const { return m_pending.size(); }

    // The longest snooze the runner takes: a day.
    static constexpr int kMaxMinutes = 24 * 60;

private:
    struct Pending {
        QDateTime due;
        AnnouncedLine line;
    };
    void save() const;

    QString m_path;
    DayHistory* m_history;
    int m_limitMinutes = 60;
    QList<Pending> m_pending;
    QList<std::pair<QString, QList<AnnouncedLine>>> m_recent;
};

} // namespace corvane
