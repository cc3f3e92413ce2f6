#include "announcementhistory.h"

#include "valueforms.h"

#include <QDir>

namespace corvane {

namespace {

constexpr HistoryState kStates[] = {HistoryState::Shown, HistoryState::ShownLate, HistoryState::Snoozed,
                                    HistoryState::Missed};

const QString& filePrefix()
{
    static const QString prefix = QStringLiteral("announced-");
    return prefix;
}

const QString& fileSuffix()
{
    static const QString suffix = QStringLiteral(".txt");
    return suffix;
}

const QString& dayForm()
{
    static const QString form = QStringLiteral("yyyy-MM-dd");
    return form;
}

} // namespace

QString historyFilePath(const QString& folder, const QDate& day)
{
    return QDir(folder).filePath(filePrefix() + day.toString(dayForm()) + fileSuffix());
}

QDate historyFileDay(const QString& fileName)
{
    if (!fileName.startsWith(filePrefix()) || !fileName.endsWith(fileSuffix()))
        return {};
    return QDate::fromString(
        fileName.mid(filePrefix().size(), fileName.size() - filePrefix().size() - fileSuffix().size()), dayForm());
}

QString historyStateName(HistoryState state)
{
    switch (state) {
    case HistoryState::Shown:
        return QStringLiteral("表示");
    case HistoryState::ShownLate:
        return QStringLiteral("遅れて表示");
    case HistoryState::Snoozed:
        return QStringLiteral("再通知");
    case HistoryState::Missed:
        return QStringLiteral("見逃し");
    }
    return {};
}

QByteArray formatHistory(const QList<HistoryRecord>& records)
{
    QString text;
    for (const HistoryRecord& record : records) {
        text += formatTime(record.time) + QLatin1Char('\t') + historyStateName(record.state) + QLatin1Char('\t');
        if (record.state != HistoryState::Missed)
            text += formatTime(record.at);
        text += QLatin1Char('\t') + record.text + QLatin1Char('\n');
    }
    return text.toUtf8();
}

QList<HistoryRecord> parseHistory(const QByteArray& bytes, int* damaged)
{
    QList<HistoryRecord> records;
    int skipped = 0;
    for (const QString& line : QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char('\t'));
        const HistoryState* state = nullptr;
        for (const HistoryState& candidate : kStates) {
            if (fields.size() >= 4 && fields[1] == historyStateName(candidate))
                state = &candidate;
        }
        const std::optional<QTime> time = state ? parseTime(fields[0]) : std::nullopt;
        // A missed line was never shown: it has no time of showing.
        const std::optional<QTime> at = !state                           ? std::nullopt
                                        : *state == HistoryState::Missed ? std::optional<QTime>(QTime())
                                                                         : parseTime(fields[2]);
        if (!time || !at) {
            ++skipped;
            continue;
        }
        records.append({*time, fields.mid(3).join(QLatin1Char('\t')), *state, *at});
    }
    if (damaged)
        *damaged = skipped;
    return records;
}

} // namespace corvane
