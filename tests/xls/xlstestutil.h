#pragma once
// Helpers shared by the workbook tests: what python-xlrd sees in a file, and a synthetic
// sheet that uses every feature of the writer.
#include "xls/xlsmodel.h"

#include <QJsonObject>
#include <QString>

namespace corvane::test {

// Runs tests/xls/xlsdump.py on path with Debian's python3 + xlrd. Empty object and
// *error set when the reader refuses the file.
QJsonObject xlrdDump(const QString& path, QString* error);

// The cell (row, col) of the first sheet in a dump, or an empty object.
QJsonObject dumpedCell(const QJsonObject& dump, int row, int col);

// A sheet with text, numbers, dates, times, every alignment, border and fill the layouts
// use, a white font, column formats, a merged heading and panes frozen below row 2.
xls::Workbook featureWorkbook();

} // namespace corvane::test
