#pragma once
// The runner's record of the day's announcements, in its state folder (announcementhistory.h
// has the file's form). Each change rewrites the day's file atomically and privately; a week of
// files is kept. A file that cannot be written is logged and the runner goes on: the history
// never holds up an announcement.
#include <QDateTime>
#include <QList>
#include <QString>

#include "announcedline.h"
#include "announcementhistory.h"

namespace corvane {

class DayHistory {
public:
    explicit DayHistory(const QString& folder) : m_folder(folder) {}

    QString folder() const { return m_folder; }

    // The lines of one announcement, shown at `now`. An entry adds a record to its day's file
    // (表示, or 遅れて表示 when late); a line the user had put off replaces that line's last
    // record (再通知 at `now`, or 遅れて表示).
    void recordShown(const QList<AnnouncedLine>& lines, const QDateTime& now);
    // The user put these lines off until `due`: each one's last record becomes 再通知 `due`.
    void recordSnoozed(const QList<AnnouncedLine>& lines, const QDateTime& due);
    // Later than the lateness limit, never shown: an entry adds 見逃し, a line put off replaces
    // its last record.
    void recordMissed(const AnnouncedLine& line);

    // Deletes the history files of days before the week that ends `today`.
    void removeOldDays(const QDate& today);

private:
    struct Change {
        QDate day;
        HistoryRecord record;
        bool replacesLast = false; // the line's last record of the day, when it has one
    };
    void apply(const QList<Change>& changes);
    void applyToDay(const QDate& day, const QList<Change>& changes);

    QString m_folder;
    QDate m_cleanedFor;
};

} // namespace corvane
