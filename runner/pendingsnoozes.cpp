#include "pendingsnoozes.h"

#include "dayhistory.h"
#include "duewindow.h"
#include "log.h"
#include "statefolder.h"
#include "valueforms.h"

#include <QDir>
#include <QFile>
#include <algorithm>

namespace corvane {

namespace {

// Messages remembered for a snooze: the window shows one at a time, a window program that
// reports late may still name one of the last few.
constexpr qsizetype kRecentMessages = 8;

const QString& dayForm()
{
    static const QString form = QStringLiteral("yyyy-MM-dd");
    return form;
}

QString lineText(const AnnouncedLine& line) { return formatTime(line.time) + QLatin1Char(' ') + line.text; }

QString moment(const QDateTime& at)
{
    return formatDate(at.date()) + QLatin1Char(' ') + at.time().toString(QStringLiteral("H:mm:ss"));
}

} // namespace

void PendingSnoozes::load(const QDate& today)
{
    m_pending.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.exists())
            logLine(QStringLiteral("再通知の予定 %1 を読めません（%2）")
                        .arg(QDir::toNativeSeparators(m_path), file.errorString()));
        return;
    }
    bool dropped = false;
    // One line per line put off: due moment, day, registered time and text, separated by tabs.
    for (const QString& row : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = row.split(QLatin1Char('\t'));
        const QDateTime due = fields.size() >= 4 ? QDateTime::fromString(fields[0], Qt::ISODate) : QDateTime();
        const QDate day = fields.size() >= 4 ? QDate::fromString(fields[1], dayForm()) : QDate();
        const std::optional<QTime> time = fields.size() >= 4 ? parseTime(fields[2]) : std::nullopt;
        if (!due.isValid() || !day.isValid() || !time) {
            logLine(QStringLiteral("再通知の予定の壊れた行を読み飛ばします: %1").arg(row));
            dropped = true;
            continue;
        }
        const AnnouncedLine line{day, *time, fields.mid(3).join(QLatin1Char('\t')), AnnouncedLine::Kind::Snoozed};
        if (due.date() < today) {
            logLine(QStringLiteral("前日までの再通知は表示しません: %1（再通知 %2）").arg(lineText(line), moment(due)));
            if (m_history)
                m_history->recordMissed(line);
            dropped = true;
            continue;
        }
        m_pending.append({due, line});
    }
    std::stable_sort(m_pending.begin(), m_pending.end(),
                     [](const Pending& a, const Pending& b) { return a.due < b.due; });
    if (dropped)
        save();
}

void PendingSnoozes::noteAnnounced(const QString& message, const QList<AnnouncedLine>& lines)
{
    m_recent.append({message, lines});
    if (m_recent.size() > kRecentMessages)
        m_recent.removeFirst();
}

bool PendingSnoozes::snooze(const QString& message, int minutes, const QDateTime& now)
{
    if (minutes < 1 || minutes > kMaxMinutes) {
        logLine(QStringLiteral("再通知までの時間（%1分）が範囲外のため受け付けません").arg(minutes));
        return false;
    }
    // The latest of equal messages: its lines are the ones on screen.
    const auto found = std::find_if(m_recent.crbegin(), m_recent.crend(),
                                    [&message](const auto& recent) { return recent.first == message; });
    if (found == m_recent.crend()) {
        logLine(QStringLiteral("再通知を頼まれたお知らせが見つからないため受け付けません: %1")
                    .arg(message.trimmed().replace(QLatin1Char('\n'), QStringLiteral(" / "))));
        return false;
    }
    // Whole seconds, as the file keeps them.
    QDateTime due = now.addSecs(qint64(minutes) * 60);
    due = due.addMSecs(-due.time().msec());
    QStringList texts;
    QList<AnnouncedLine> lines;
    for (AnnouncedLine line : found->second) {
        line.kind = AnnouncedLine::Kind::Snoozed;
        // Later than every snooze due at the same moment or before it: lines come up in the
        // order they were put off.
        const auto place = std::upper_bound(m_pending.begin(), m_pending.end(), due,
                                            [](const QDateTime& at, const Pending& p) { return at < p.due; });
        m_pending.insert(place, {due, line});
        texts.append(lineText(line));
        lines.append(line);
    }
    logLine(QStringLiteral("%1分後（%2）にもう一度お知らせします: %3")
                .arg(minutes)
                .arg(moment(due), texts.join(QStringLiteral(" / "))));
    save();
    if (m_history)
        m_history->recordSnoozed(lines, due);
    return true;
}

QList<AnnouncedLine> PendingSnoozes::takeDue(const QDateTime& now)
{
    QList<AnnouncedLine> due;
    qsizetype taken = 0;
    while (taken < m_pending.size() && m_pending[taken].due <= now) {
        const Pending& pending = m_pending[taken++];
        AnnouncedLine line = pending.line;
        const qint64 late = pending.due.secsTo(now);
        if (isDueNow(late)) {
            line.kind = AnnouncedLine::Kind::Snoozed;
        } else if (late <= qint64(m_limitMinutes) * 60) {
            line.kind = AnnouncedLine::Kind::SnoozedLate;
            logLine(QStringLiteral("遅れて再通知します: %1（再通知 %2）").arg(lineText(line), moment(pending.due)));
        } else {
            logLine(QStringLiteral("遅れが上限（%1分）を超えたため再通知しません: %2（再通知 %3）")
                        .arg(m_limitMinutes)
                        .arg(lineText(line), moment(pending.due)));
            if (m_history)
                m_history->recordMissed(line);
            continue;
        }
        due.append(line);
    }
    if (taken == 0)
        return due;
    m_pending.remove(0, taken);
    // Written before the lines go out: a runner ended meanwhile shows them at most once.
    save();
    return due;
}

std::optional<int> PendingSnoozes::secondsToNext(const QDateTime& now) const
{
    if (m_pending.isEmpty())
        return std::nullopt;
    return int(std::clamp<qint64>(now.secsTo(m_pending.first().due), 0, kSecondsPerDay));
}

void PendingSnoozes::save() const
{
    QString text;
    for (const Pending& pending : m_pending) {
        text += pending.due.toString(Qt::ISODate) + QLatin1Char('\t') + pending.line.day.toString(dayForm())
                + QLatin1Char('\t') + formatTime(pending.line.time) + QLatin1Char('\t') + pending.line.text
                + QLatin1Char('\n');
    }
    QString reason;
    if (!writePrivateFile(m_path, text.toUtf8(), &reason))
        logLine(QStringLiteral("再通知の予定 %1 に書き込めません（%2）").arg(QDir::toNativeSeparators(m_path), reason));
}

} // namespace corvane
