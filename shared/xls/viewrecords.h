#pragma once
// Worksheet records of the view: window options, frozen panes, selection, merged ranges.
#include "xls/bytewriter.h"
#include "xls/xlsmodel.h"

namespace corvane::xls {

// frozenRows > 0 freezes the panes below that many rows.
void writeWindow2(ByteWriter& out, int frozenRows);
// Nothing is written when frozenRows is 0.
void writePane(ByteWriter& out, int frozenRows);
// The active cell: the first cell below the frozen rows (A1 when none).
void writeSelection(ByteWriter& out, int frozenRows);
// As many records as needed (at most 1026 ranges each); nothing for no ranges.
void writeMergedCells(ByteWriter& out, const QList<Range>& ranges);

} // namespace corvane::xls
