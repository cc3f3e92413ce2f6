#include "xls/cellrecords.h"

namespace corvane::xls {

namespace {
constexpr uint16_t kDefaultRowHeightTwips = 270; // 13.5 pt, the 11-point default face's row
constexpr uint16_t kDefaultXf = 15;
} // namespace

void writeWsBool(ByteWriter& out)
{
    ByteWriter d;
    d.u16(0x04C1); // automatic page breaks shown, outline symbols below and right
    writeRecord(out, 0x0081, d.data());
}

void writeColInfo(ByteWriter& out, uint16_t firstCol, uint16_t lastCol, uint16_t width256, uint16_t xf)
{
    ByteWriter d;
    d.u16(firstCol);
    d.u16(lastCol);
    d.u16(width256);
    d.u16(xf);
    d.u16(0x0002); // width set by the user
    d.u16(0);
    writeRecord(out, 0x007D, d.data());
}

void writeDimensions(ByteWriter& out, uint32_t firstRow, uint32_t rowEnd, uint16_t firstCol, uint16_t colEnd)
{
    ByteWriter d;
    d.u32(firstRow);
    d.u32(rowEnd);
    d.u16(firstCol);
    d.u16(colEnd);
    d.u16(0);
    writeRecord(out, 0x0200, d.data());
}

void writeRow(ByteWriter& out, uint16_t row, uint16_t firstCol, uint16_t colEnd)
{
    ByteWriter d;
    d.u16(row);
    d.u16(firstCol);
    d.u16(colEnd);
    d.u16(kDefaultRowHeightTwips);
    d.u16(0);
    d.u16(0);
    d.u16(0x0100); // height follows the font
    d.u16(kDefaultXf);
    writeRecord(out, 0x0208, d.data());
}

void writeNumber(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf, double value)
{
    ByteWriter d;
    d.u16(row);
    d.u16(col);
    d.u16(xf);
    d.f64(value);
    writeRecord(out, 0x0203, d.data());
}

void writeLabelSst(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf, uint32_t sstIndex)
{
    ByteWriter d;
    d.u16(row);
    d.u16(col);
    d.u16(xf);
    d.u32(sstIndex);
    writeRecord(out, 0x00FD, d.data());
}

void writeBlank(ByteWriter& out, uint16_t row, uint16_t col, uint16_t xf)
{
    ByteWriter d;
    d.u16(row);
    d.u16(col);
    d.u16(xf);
    writeRecord(out, 0x0201, d.data());
}

} // namespace corvane::xls
