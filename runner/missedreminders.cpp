#include "missedreminders.h"

#include "dayhistory.h"
#include "dayschedule.h"
#include "duewindow.h"
#include "log.h"
#include "valueforms.h"

#include <algorithm>

namespace corvane {

namespace {

QString lateness(qint64 seconds)
{
    if (seconds < 60)
        return QStringLiteral("%1秒").arg(seconds);
    if (seconds < 24 * 60 * 60)
        return QStringLiteral("%1分").arg(seconds / 60);
    return QStringLiteral("%1時間").arg(seconds / 3600);
}

QString moment(const QDateTime& at)
{
    return formatDate(at.date()) + QLatin1Char(' ') + at.time().toString(QStringLiteral("H:mm:ss"));
}

} // namespace

MissedReminders::MissedReminders(ClockGap::Monotonic monotonic) : m_gap(std::move(monotonic)) {}

QList<AnnouncedLine> MissedReminders::collect(DaySchedule& schedule, int advanceMinutes, const QDateTime& now)
{
    if (const auto span = m_gap.observe(now, kAcceptanceSeconds)) {
        if (span->stalled)
            logLine(QStringLiteral("%1 から %2 まで予定の確認が止まっていました（処理の遅れなど）")
                        .arg(moment(span->from), moment(span->to)));
        else
            logLine(QStringLiteral("時計が %1 から %2 へ進みました（スリープからの復帰など）")
                        .arg(moment(span->from), moment(span->to)));
        if (m_pending)
            m_pending->span.to = span->to;
        else
            m_pending = Pending{*span, {}, {}};
    }
    if (!m_pending)
        return {};

    // Only the days the schedule holds can be looked at: the build date and the day after.
    for (const QDate& day : {schedule.buildDate(), schedule.buildDate().addDays(1)}) {
        if (day.isValid() && !m_pending->daysTaken.contains(day) && day >= m_pending->span.from.date()
            && day <= now.date()) {
            m_pending->daysTaken.insert(day);
            takeDay(schedule, day, advanceMinutes, now);
        }
    }
    if (!schedule.listFor(now.date()))
        return {};
    logDaysNotHeld(now);
    const QList<AnnouncedLine> lines = m_pending->lines;
    m_pending.reset();
    return lines;
}

void MissedReminders::takeDay(DaySchedule& schedule, const QDate& day, int advanceMinutes, const QDateTime& now)
{
    DayList* list = schedule.listFor(day);
    if (!list)
        return;
    const QDateTime midnight(day, QTime(0, 0));
    for (ScheduleItem& item : *list) {
        if (item.shown)
            continue;
        const std::optional<int> startOfDay = startSecond(item, advanceMinutes);
        if (!startOfDay)
            continue;
        const QDateTime start = midnight.addSecs(*startOfDay);
        if (start <= m_pending->span.from || start > now)
            continue;
        // Still due now: the check announces it on time, without its time in front.
        if (day == now.date() && isDueNow(start.secsTo(now)))
            continue;
        const qint64 late = start.secsTo(now);
        const QString entry = formatTime(item.at) + QLatin1Char(' ') + item.text;
        // Left unshown: should the clock be set back before it, it comes up on time as usual.
        if (late > qint64(m_limitMinutes) * 60) {
            logLine(QStringLiteral("遅れが上限（%1分）を超えたため表示しません: %2（表示予定 %3、%4遅れ）")
                        .arg(m_limitMinutes)
                        .arg(entry, moment(start), lateness(late)));
            if (m_history)
                m_history->recordMissed({day, item.at, item.text, AnnouncedLine::Kind::Late});
            continue;
        }
        item.shown = true;
        logLine(
            QStringLiteral("遅れて表示します: %1（表示予定 %2、%3遅れ）").arg(entry, moment(start), lateness(late)));
        m_pending->lines.append({day, item.at, item.text, AnnouncedLine::Kind::Late});
    }
}

void MissedReminders::logDaysNotHeld(const QDateTime& now) const
{
    // A gap of more than a day passes days whose lists were never built; within the limit the
    // user would have wanted them, so the log says they could not be looked at.
    const QDate earliest = std::max(m_pending->span.from.date(), now.addSecs(-qint64(m_limitMinutes) * 60).date());
    for (QDate day = earliest; day < now.date(); day = day.addDays(1)) {
        if (!m_pending->daysTaken.contains(day))
            logLine(
                QStringLiteral("%1 の予定は作られていないため、遅れたお知らせを確認できません").arg(formatDate(day)));
    }
}

} // namespace corvane
