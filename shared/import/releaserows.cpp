#include "releaserows.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// The last row (from 0) at which the column holds a value, or -1.
int lastUsedRow(const TableGrid& grid, int column)
{
    for (int r = grid.rowCount() - 1; r >= 0; --r)
        if (!grid.at(r, column).isEmpty())
            return r;
    return -1;
}

// The day cell as the date rule reads it: the value written without leading zeros, put after
// today's year and month. A number is written as a spreadsheet shows it ("5", "5.5").
std::optional<QDate> releaseDate(const GridCell& day, QDate today, QString* why)
{
    if (day.kind == GridCell::Kind::Number) {
        const double d = day.number;
        if (d >= 1 && d <= 31 && std::floor(d) == d) {
            const QDate date(today.year(), today.month(), int(d));
            if (date.isValid())
                return date;
            *why = QStringLiteral("%1年%2月に%3日はありません").arg(today.year()).arg(today.month()).arg(int(d));
            return std::nullopt;
        }
    }
    *why = day.isEmpty() ? QStringLiteral("日付の欄が空です")
                         : QStringLiteral("日付の欄「%1」は日ではありません").arg(day.text);
    return std::nullopt;
}

bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Characters 1 to 5 as "hh:mm" (two digits each), a time of day.
std::optional<QTime> leadingTime(const QString& s)
{
    if (s.size() < 5 || !isAsciiDigit(s[0]) || !isAsciiDigit(s[1]) || !isAsciiDigit(s[3]) || !isAsciiDigit(s[4]))
        return std::nullopt;
    const int h = s[0].digitValue() * 10 + s[1].digitValue();
    const int m = s[3].digitValue() * 10 + s[4].digitValue();
    if (h > 23 || m > 59)
        return std::nullopt;
    return QTime(h, m);
}

QString releaseName(const QString& s)
{
    const qsizetype space = s.indexOf(u' ');
    return space < 0 ? s : s.mid(space + 1);
}

// The hours for the zone marker at characters 6 and 7; nullopt for an unknown marker.
std::optional<int> zoneHours(const QString& s, const TimeDifferences& differences)
{
    const QStringView marker = QStringView(s).mid(5, 2);
    if (marker == u"ET")
        return differences.et;
    if (marker == u"CE")
        return differences.cet;
    if (marker == u"GM")
        return differences.gmt;
    return std::nullopt;
}

bool holdsRelease(const GridCell& cell) { return cell.text.size() >= 3 && cell.text[2] == u':'; }

// Sorts by date, then time, keeping the table order of equal times, and keeps the first
// `limit`. Applied whenever the rows reach twice the limit, it gives what one sort of them all
// would, while no more than that is held.
void keepEarliest(QList<IndicatorRow>& rows, qsizetype limit)
{
    std::stable_sort(rows.begin(), rows.end(), [](const IndicatorRow& a, const IndicatorRow& b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    });
    if (rows.size() > limit)
        rows.resize(limit);
}

} // namespace

CalendarConversion ConvertCalendarGrid(const TableGrid& grid, const TimeDifferences& differences, QDate today)
{
    CalendarConversion result;
    const int last = std::max(lastUsedRow(grid, kDomesticColumn), lastUsedRow(grid, kForeignColumn));

    // Fill-down of the days, rows 2..L (index 1..last).
    std::vector<GridCell> days(size_t(std::max(0, last + 1)));
    for (int r = 0; r <= last; ++r) {
        days[size_t(r)] = grid.at(r, kDayColumn);
        if (r >= 1 && days[size_t(r)].isEmpty())
            days[size_t(r)] = days[size_t(r - 1)];
    }

    int droppedUnsaid = 0;
    int converted = 0;
    int unknownUnsaid = 0;
    auto drop = [&](int r, const QString& cellText, const QString& why) {
        if (result.droppedReasons.size() >= kMaxDroppedReasons) {
            ++droppedUnsaid;
            return;
        }
        result.droppedReasons.append(
            QStringLiteral("経済指標カレンダー %1行目「%2」を取り込みません: %3").arg(r + 1).arg(cellText, why));
    };

    QStringList unknownMarkers;
    for (const int column : {kDomesticColumn, kForeignColumn}) {
        for (int r = 1; r <= last; ++r) {
            const GridCell& cell = grid.at(r, column);
            if (!holdsRelease(cell))
                continue;
            ++result.releaseCells;
            const QString& s = cell.text;
            const std::optional<QTime> time = leadingTime(s);
            if (!time) {
                drop(r, s, QStringLiteral("時刻が読めません"));
                continue;
            }
            QString why;
            const std::optional<QDate> date = releaseDate(days[size_t(r)], today, &why);
            if (!date) {
                drop(r, s, why);
                continue;
            }
            QDateTime at(*date, *time, Qt::UTC); // UTC: no daylight-saving gap in the shift
            if (column == kForeignColumn) {
                if (const std::optional<int> hours = zoneHours(s, differences)) {
                    at = at.addSecs(qint64(*hours) * 3600);
                } else {
                    const QString marker = s.mid(5, 2);
                    if (!unknownMarkers.contains(marker) && unknownMarkers.size() >= kMaxUnknownMarkerNotes) {
                        ++unknownUnsaid;
                    } else if (!unknownMarkers.contains(marker)) {
                        unknownMarkers.append(marker);
                        result.notes.append(
                            QStringLiteral("経済指標カレンダーの時刻の後の「%1」は ET・CET・GMT の印ではないため、"
                                           "その時刻は時差を足さずに取り込みます（例: %2行目「%3」）")
                                .arg(marker)
                                .arg(r + 1)
                                .arg(s));
                    }
                }
            }
            result.rows.append(IndicatorRow{at.date(), at.time(), releaseName(s)});
            ++converted;
            if (result.rows.size() == 2 * kMaxCalendarReleases)
                keepEarliest(result.rows, kMaxCalendarReleases);
        }
    }

    keepEarliest(result.rows, kMaxCalendarReleases);
    if (droppedUnsaid > 0)
        result.droppedReasons.append(
            QStringLiteral("経済指標カレンダーのほか%1件の公表予定も、日付か時刻が読めないため取り込みません")
                .arg(droppedUnsaid));
    if (unknownUnsaid > 0)
        result.notes.append(QStringLiteral("経済指標カレンダーにはほかにも ET・CET・GMT でない印の時刻が%1件あり、"
                                           "時差を足さずに取り込みます")
                                .arg(unknownUnsaid));
    if (converted > kMaxCalendarReleases)
        result.notes.append(QStringLiteral("経済指標カレンダーの公表予定が%1件を超えるため、日時の早い%1件だけを"
                                           "取り込みます（残りの%2件は取り込みません）")
                                .arg(kMaxCalendarReleases)
                                .arg(converted - kMaxCalendarReleases));
    return result;
}

} // namespace corvane
