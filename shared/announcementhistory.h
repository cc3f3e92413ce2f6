#pragma once
// What the runner announced on a day, one record per line, kept in its state folder for a week:
// the runner writes it, the controller's viewer lists it under "お知らせ済み".
//
// One file per day ("announced-yyyy-mm-dd.txt"): a record changes only its own day's small
// file, a week is kept by deleting whole files by their names, and a damaged file costs one day
// at most.
#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

namespace corvane {

enum class HistoryState {
    Shown,     // on time, at `at`
    ShownLate, // after its moment passed unseen (a sleep, a stall), at `at`
    Snoozed,   // put off by the user: comes up (or came up) again at `at`
    Missed,    // later than the lateness limit: never shown
};

struct HistoryRecord {
    QTime time;   // the line's registered time
    QString text; // as announced (abbreviations expanded)
    HistoryState state = HistoryState::Shown;
    QTime at; // none for Missed
    bool operator==(const HistoryRecord&) const = default;
};

// Days kept: the day itself and the six before it.
inline constexpr int kHistoryDays = 7;

// The file of `day` in `folder`.
QString historyFilePath(const QString& folder, const QDate& day);
// The day a history file name stands for; invalid when the name is not a history file's.
QDate historyFileDay(const QString& fileName);

// 表示, 遅れて表示, 再通知, 見逃し.
QString historyStateName(HistoryState state);

// One record per line, UTF-8: "h:mm", the state's name, "h:mm" when shown or due again (empty
// for a missed line) and the text, separated by tabs; the text last, so that it may hold tabs.
QByteArray formatHistory(const QList<HistoryRecord>& records);
// The records in file order. A line that is not a record (a damaged or foreign file) is
// skipped and counted in *damaged.
QList<HistoryRecord> parseHistory(const QByteArray& bytes, int* damaged = nullptr);

} // namespace corvane
