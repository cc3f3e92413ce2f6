#include "dayhistory.h"

#include "clock.h"
#include "log.h"
#include "statefolder.h"
#include "valueforms.h"

#include <QDir>
#include <QFile>

namespace corvane {

namespace {

bool isSnoozedLine(const AnnouncedLine& line)
{
    return line.kind == AnnouncedLine::Kind::Snoozed || line.kind == AnnouncedLine::Kind::SnoozedLate;
}

HistoryRecord recordOf(const AnnouncedLine& line, HistoryState state, const QTime& at)
{
    return {line.time, line.text, state, at};
}

} // namespace

void DayHistory::recordShown(const QList<AnnouncedLine>& lines, const QDateTime& now)
{
    QList<Change> changes;
    for (const AnnouncedLine& line : lines) {
        HistoryState state = HistoryState::Shown;
        if (line.kind == AnnouncedLine::Kind::Late || line.kind == AnnouncedLine::Kind::SnoozedLate)
            state = HistoryState::ShownLate;
        else if (line.kind == AnnouncedLine::Kind::Snoozed)
            state = HistoryState::Snoozed;
        changes.append({line.day, recordOf(line, state, now.time()), isSnoozedLine(line)});
    }
    apply(changes);
}

void DayHistory::recordSnoozed(const QList<AnnouncedLine>& lines, const QDateTime& due)
{
    QList<Change> changes;
    for (const AnnouncedLine& line : lines)
        changes.append({line.day, recordOf(line, HistoryState::Snoozed, due.time()), true});
    apply(changes);
}

void DayHistory::recordMissed(const AnnouncedLine& line)
{
    apply({{line.day, recordOf(line, HistoryState::Missed, QTime()), isSnoozedLine(line)}});
}

void DayHistory::apply(const QList<Change>& changes)
{
    const QDate today = Clock::today();
    if (m_cleanedFor != today) {
        m_cleanedFor = today;
        removeOldDays(today);
    }
    // One write per day's file, whatever the number of lines.
    QList<QDate> days;
    for (const Change& change : changes) {
        if (!days.contains(change.day))
            days.append(change.day);
    }
    for (const QDate& day : days) {
        QList<Change> ofDay;
        for (const Change& change : changes) {
            if (change.day == day)
                ofDay.append(change);
        }
        applyToDay(day, ofDay);
    }
}

void DayHistory::applyToDay(const QDate& day, const QList<Change>& changes)
{
    const QString path = historyFilePath(m_folder, day);
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    else if (file.exists())
        logLine(QStringLiteral("お知らせの履歴 %1 を読めません（%2）。この日の履歴は書き直されます")
                    .arg(QDir::toNativeSeparators(path), file.errorString()));
    QList<HistoryRecord> records = parseHistory(bytes);
    for (const Change& change : changes) {
        qsizetype last = -1;
        for (qsizetype i = 0; change.replacesLast && i < records.size(); ++i) {
            if (records[i].time == change.record.time && records[i].text == change.record.text)
                last = i;
        }
        if (last >= 0)
            records[last] = change.record;
        else
            records.append(change.record);
    }
    QString reason;
    if (!writePrivateFile(path, formatHistory(records), &reason))
        logLine(QStringLiteral("お知らせの履歴 %1 に書き込めません（%2）").arg(QDir::toNativeSeparators(path), reason));
}

void DayHistory::removeOldDays(const QDate& today)
{
    const QDate oldestKept = today.addDays(1 - kHistoryDays);
    const QDir folder(m_folder);
    for (const QString& name : folder.entryList(QDir::Files)) {
        const QDate day = historyFileDay(name);
        if (day.isValid() && day < oldestKept && !QFile::remove(folder.filePath(name)))
            logLine(QStringLiteral("古いお知らせの履歴 %1 を消せません")
                        .arg(QDir::toNativeSeparators(folder.filePath(name))));
    }
}

} // namespace corvane
