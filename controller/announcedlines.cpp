#include "announcedlines.h"

#include "valueforms.h"

#include <QFile>
#include <algorithm>

namespace corvane::controller {

QString formatAnnouncedLine(const HistoryRecord& record)
{
    QString state;
    switch (record.state) {
    case HistoryState::Shown:
    case HistoryState::ShownLate:
        state = formatTime(record.at) + QLatin1Char(' ') + historyStateName(record.state);
        break;
    case HistoryState::Snoozed:
        state = historyStateName(record.state) + QLatin1Char(' ') + formatTime(record.at);
        break;
    case HistoryState::Missed:
        state = historyStateName(record.state);
        break;
    }
    return formatTime(record.time) + QLatin1Char(' ') + record.text + QStringLiteral("  ") + state;
}

QStringList announcedLines(const QString& stateFolder, const QDate& day)
{
    QFile file(historyFilePath(stateFolder, day));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(kHistoryReadLimit);
    // A file longer than the limit: its last line read is cut, and not shown cut.
    if (!file.atEnd())
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    QList<HistoryRecord> records = parseHistory(bytes);
    std::stable_sort(records.begin(), records.end(),
                     [](const HistoryRecord& a, const HistoryRecord& b) { return a.time < b.time; });
    QStringList lines;
    for (const HistoryRecord& record : records)
        lines.append(formatAnnouncedLine(record));
    return lines;
}

} // namespace corvane::controller
