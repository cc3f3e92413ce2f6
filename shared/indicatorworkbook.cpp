#include "indicatorworkbook.h"

#include "xls/bytewriter.h"
#include "xls/xlsreader.h"
#include "xls/xlswriter.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

const QString kSheetName = QStringLiteral("経済指標");
constexpr int kColumns = 3;

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

xls::CellFormat columnFormat(int col)
{
    xls::CellFormat format;
    format.align = col == 2 ? xls::HAlign::Left : xls::HAlign::Centre;
    if (col == 0)
        format.numberFormat = xls::kDateWithWeekdayFormat;
    else if (col == 1)
        format.numberFormat = xls::kHourMinuteFormat;
    return format;
}

// The block A1:C(n) is outlined thin with hairline inner verticals; each row's top line is
// thin where its date shows and hairline where the date is hidden in white. The line between
// two rows is stored on both cells so every reader draws the same one.
xls::Workbook indicatorLayout(const QList<IndicatorRow>& rows)
{
    xls::Workbook book;
    xls::Sheet& sheet = book.sheet;
    sheet.setName(kSheetName);
    const double widths[kColumns] = {16, 8, 50};
    for (int col = 0; col < kColumns; ++col)
        sheet.setColumn(col, widths[col], columnFormat(col));
    sheet.freezeRows(1);

    const int lastRow = int(rows.size()); // zero-based; row 0 holds the headings
    const auto dateHidden = [&](int row) { return row >= 2 && rows[row - 1].date == rows[row - 2].date; };
    const auto topLine = [&](int row) { return dateHidden(row) ? xls::Line::Hair : xls::Line::Thin; };

    const QString headings[kColumns] = {QStringLiteral("年月日"), QStringLiteral("時刻"), QStringLiteral("経済指標")};
    for (int row = 0; row <= lastRow; ++row) {
        for (int col = 0; col < kColumns; ++col) {
            xls::CellFormat format = columnFormat(col);
            format.borders.left = col == 0 ? xls::Line::Thin : xls::Line::Hair;
            format.borders.right = col == kColumns - 1 ? xls::Line::Thin : xls::Line::Hair;
            format.borders.top = topLine(row);
            format.borders.bottom = row == lastRow ? xls::Line::Thin : topLine(row + 1);
            if (row == 0) {
                format.fillColour = 35; // light green
                if (col == 2)
                    format.align = xls::HAlign::Centre;
                sheet.setText(row, col, headings[col], format);
                continue;
            }
            const IndicatorRow& release = rows[row - 1];
            if (col == 0) {
                if (dateHidden(row))
                    format.fontColour = 2; // white: the date shows on a day's first row only
                sheet.setDate(row, col, release.date, format);
            } else if (col == 1) {
                sheet.setTime(row, col, release.time, format);
            } else {
                sheet.setText(row, col, release.name, format);
            }
        }
    }
    return book;
}

// Column B "formatted h:mm": the time of day to the minute, whatever form the cell took
// after a re-save. Invalid when the cell holds no time.
QTime timeOfCell(const xls::ReadCell& cell)
{
    using Type = xls::ReadCell::Type;
    switch (cell.type) {
    case Type::Time:
    case Type::DateTime:
        return QTime(cell.time.hour(), cell.time.minute());
    case Type::Number:
        if (cell.number >= 0 && cell.number < 1e7) {
            const double fraction = cell.number - std::floor(cell.number);
            const int seconds = int(std::lround(fraction * 86400)) % 86400;
            return QTime(seconds / 3600, seconds / 60 % 60);
        }
        return {};
    case Type::Text:
        return QTime::fromString(cell.text.trimmed(), QStringLiteral("H:mm"));
    default:
        return {};
    }
}

QString textOfCell(const xls::ReadCell& cell)
{
    using Type = xls::ReadCell::Type;
    switch (cell.type) {
    case Type::Text:
        return cell.text;
    case Type::Number:
        return QString::number(cell.number, 'g', 15);
    case Type::Date:
        return cell.date.toString(QStringLiteral("yyyy/M/d"));
    case Type::Time:
        return cell.time.toString(QStringLiteral("H:mm"));
    case Type::DateTime:
        return cell.date.toString(QStringLiteral("yyyy/M/d ")) + cell.time.toString(QStringLiteral("H:mm"));
    default:
        return {};
    }
}

} // namespace

bool WriteIndicatorWorkbook(const QString& path, QList<IndicatorRow> rows, QString* error)
{
    for (const IndicatorRow& row : rows)
        if (!row.date.isValid()) {
            setError(error, QStringLiteral("経済指標の日付が不正です: %1").arg(row.name));
            return false;
        }
    // The workbook reader takes a text over at most one record boundary of the string table
    // (a longer one comes back cut short or the whole workbook is refused): names are cut,
    // at a whole character, to what always fits. No real release name comes near it.
    for (IndicatorRow& row : rows)
        row.name = xls::cutAtWholeCharacter(row.name, kMaxIndicatorNameLength);
    std::stable_sort(rows.begin(), rows.end(), [](const IndicatorRow& a, const IndicatorRow& b) {
        if (a.date != b.date)
            return a.date < b.date;
        return a.time < b.time;
    });
    return xls::saveWorkbook(indicatorLayout(rows), path, error);
}

QList<IndicatorRow> ReadIndicatorWorkbook(const QString& path, QString* error)
{
    QList<IndicatorRow> rows;
    xls::XlsReader reader;
    QString why;
    if (!reader.open(path, &why) || !reader.selectSheet(kSheetName, &why)) {
        setError(error, why);
        return rows;
    }
    for (int row = 1; row < reader.rowCount(); ++row) {
        const xls::ReadCell date = reader.cell(row, 0);
        if (date.isEmpty())
            break;
        if (date.type != xls::ReadCell::Type::Date && date.type != xls::ReadCell::Type::DateTime) {
            setError(error, QStringLiteral("セル A%1 が日付ではありません").arg(row + 1));
            return rows;
        }
        rows.append({date.date, timeOfCell(reader.cell(row, 1)), textOfCell(reader.cell(row, 2))});
    }
    return rows;
}

} // namespace corvane
