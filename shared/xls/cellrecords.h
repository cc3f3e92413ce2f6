#pragma once
// Worksheet records that hold the grid: options, column info, dimensions, rows and cells.
#include "xls/bytewriter.h"

namespace corvane::xls {

void writeWsBool(ByteWriter& out);
// Columns first..last: width in 1/256 of a character, default cell format xf.
void writeColInfo(ByteWriter& out, uint16_t firstCol, uint16_t lastCol, uint16_t width256, uint16_t xf);
// Used area; rowEnd and colEnd are one past the last used row and column (0 when empty).
void writeDimensions(ByteWriter& out, uint32_t firstRow, uint32_t rowEnd, uint16_t firstCol, uint16_t colEnd);
void writeRow(ByteWriter& out, uint16_t row, uint16_t firstCol, uint16_t colEnd);
void writeNumber(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf, double value);
void writeLabelSst(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf, uint32_t sstIndex);
void writeBlank(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf);

} // namespace corvane::xls
