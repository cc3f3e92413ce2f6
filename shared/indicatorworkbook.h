#pragma once
// The economic-indicator workbook "経済指標.xls", worksheet "経済指標": one release per row
// (A date, B time, C name) below a heading row. Written by the import, read by the runner's
// day schedule builder.
#include <QDate>
#include <QList>
#include <QString>
#include <QTime>

namespace corvane {

struct IndicatorRow {
    QDate date;
    QTime time;
    QString name;
    bool operator==(const IndicatorRow&) const = default;
};

// Release names are cut to this many UTF-16 units, at a whole character.
inline constexpr int kMaxIndicatorNameLength = 4095;

// Writes the workbook with the layout of the indicator sheet (headings, formats, borders,
// rows sorted by date then time). Replaces the file atomically. False with a reason on failure;
// the old file is then unchanged.
bool WriteIndicatorWorkbook(const QString& path, QList<IndicatorRow> rows, QString* error = nullptr);

// Reads the releases from row 2 down until column A is empty. A missing sheet, a corrupt file
// or a column-A cell that is not a date ends the read: the rows read so far are returned and
// *error says why.
QList<IndicatorRow> ReadIndicatorWorkbook(const QString& path, QString* error = nullptr);

} // namespace corvane
