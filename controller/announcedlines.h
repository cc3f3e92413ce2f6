#pragma once
// The lines of the viewer's "お知らせ済み": what the runner announced today, from the history it
// keeps in its state folder, in the order of the lines' registered times, each with what became
// of it. The controller only reads the history; the runner writes it.
#include <QDate>
#include <QString>
#include <QStringList>

#include "announcementhistory.h"

namespace corvane::controller {

// "9:00 定例会議  9:00 表示", "13:30 来客  14:10 遅れて表示", "15:00 報告  再通知 15:10",
// "7:00 体操  見逃し".
QString formatAnnouncedLine(const HistoryRecord& record);

// The lines of `day` from the history in `stateFolder`, sorted by registered time (equal times
// in the order they were recorded). No file, or one that cannot be read: no lines; a damaged
// file: the lines that can be read.
QStringList announcedLines(const QString& stateFolder, const QDate& day);

// More than any day's history holds: a file grown past it is read no further.
inline constexpr qint64 kHistoryReadLimit = 1024 * 1024;

} // namespace corvane::controller
