#pragma once
// Puts a Workbook together as an Excel 97-2003 file (BIFF8 in a Compound File) that the
// spreadsheet applications, python-xlrd and FreeXL open.
#include "xls/xlsmodel.h"

#include <QByteArray>
#include <QString>

namespace corvane::xls {

// Column widths: the spreadsheet's ColumnWidth counts characters of the default font's
// digit (8 pixels for the 11-point Japanese default face) plus 5 pixels of cell padding,
// stored in 1/256 of a character: units = trunc((chars × 8 + 5) / 8 × 256). So width 16
// is stored as 4256, 8.5 as 2336, 50 as 12960, and reads back as the same ColumnWidth.
uint16_t columnWidthUnits(double characters);

// The file's bytes. Empty, with *error set, when the workbook cannot be written: a sheet
// name that is empty, longer than 31 characters or holds one of []:*?/\, a cell or range
// outside 65536 rows × 256 columns, or a file too large for the container.
QByteArray buildWorkbook(const Workbook& workbook, QString* error = nullptr);

// Writes the file and replaces path with it in one step (a temporary file beside it, then
// a rename), so a reader sees the old or the new workbook, never a part. False with *error
// set on failure; the old file is then unchanged.
bool saveWorkbook(const Workbook& workbook, const QString& path, QString* error = nullptr);

} // namespace corvane::xls
