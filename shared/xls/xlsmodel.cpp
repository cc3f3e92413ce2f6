#include "xls/xlsmodel.h"

#include <cmath>

namespace corvane::xls {

namespace {
const QDate kEpoch(1899, 12, 30);
const QDate kPhantomLeapDayEnd(1900, 3, 1);
} // namespace

void Sheet::setNumber(int row, int col, double value, const CellFormat& format)
{
    m_cells[{row, col}] = Cell{value, format};
}

void Sheet::setText(int row, int col, const QString& text, const CellFormat& format)
{
    m_cells[{row, col}] = Cell{text, format};
}

void Sheet::setDate(int row, int col, const QDate& date, const CellFormat& format)
{
    if (date.isValid())
        setNumber(row, col, dateSerial(date), format);
    else
        setBlank(row, col, format);
}

void Sheet::setTime(int row, int col, const QTime& time, const CellFormat& format)
{
    if (time.isValid())
        setNumber(row, col, timeSerial(time), format);
    else
        setBlank(row, col, format);
}

void Sheet::setBlank(int row, int col, const CellFormat& format)
{
    m_cells[{row, col}] = Cell{std::monostate{}, format};
}

CellFormat& Sheet::formatAt(int row, int col) { return m_cells[{row, col}].format; }

const Cell* Sheet::cellAt(int row, int col) const
{
    const auto it = m_cells.find({row, col});
    return it == m_cells.end() ? nullptr : &it->second;
}

void Sheet::setColumn(int col, double width, const CellFormat& format) { m_columns[col] = Column{width, format}; }

void Sheet::merge(const Range& range) { m_merges.append(range); }

double dateSerial(const QDate& date)
{
    const double days = double(kEpoch.daysTo(date));
    // The 1900 system counts a 29 February 1900 that never was.
    return date < kPhantomLeapDayEnd ? days - 1 : days;
}

double timeSerial(const QTime& time) { return time.msecsSinceStartOfDay() / 86400000.0; }

QDate dateFromSerial(double serial)
{
    if (!std::isfinite(serial) || serial < 1 || serial >= 2958466) // 9999-12-31 + 1
        return {};
    const qint64 days = qint64(std::floor(serial));
    return kEpoch.addDays(days < 61 ? days + 1 : days);
}

} // namespace corvane::xls
