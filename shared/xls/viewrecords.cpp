#include "xls/viewrecords.h"

namespace corvane::xls {

namespace {
constexpr uint8_t kPaneBottomLeft = 2;
constexpr uint8_t kPaneTopLeft = 3;
constexpr int kMaxMergesPerRecord = 1026;
} // namespace

void writeWindow2(ByteWriter& out, int frozenRows)
{
    // Grid, headers, zeros, automatic grid colour, outline symbols, selected, displayed;
    // frozen panes add "frozen" and "frozen without split".
    const uint16_t flags = frozenRows > 0 ? 0x07BE : 0x06B6;
    ByteWriter d;
    d.u16(flags);
    d.u16(0);  // top row
    d.u16(0);  // left column
    d.u16(64); // grid colour: automatic
    d.u16(0);
    d.u16(0); // page-break preview zoom: default
    d.u16(0); // normal zoom: default
    d.u32(0);
    writeRecord(out, 0x023E, d.data());
}

void writePane(ByteWriter& out, int frozenRows)
{
    if (frozenRows <= 0)
        return;
    ByteWriter d;
    d.u16(0); // no column split
    d.u16(uint16_t(frozenRows));
    d.u16(uint16_t(frozenRows)); // first row shown in the lower pane
    d.u16(0);
    d.u8(kPaneBottomLeft);
    d.u8(0);
    writeRecord(out, 0x0041, d.data());
}

void writeSelection(ByteWriter& out, int frozenRows)
{
    const uint16_t row = uint16_t(std::max(frozenRows, 0));
    ByteWriter d;
    d.u8(frozenRows > 0 ? kPaneBottomLeft : kPaneTopLeft);
    d.u16(row);
    d.u16(0);
    d.u16(0); // the active cell is in the first range
    d.u16(1);
    d.u16(row);
    d.u16(row);
    d.u8(0);
    d.u8(0);
    writeRecord(out, 0x001D, d.data());
}

void writeMergedCells(ByteWriter& out, const QList<Range>& ranges)
{
    for (qsizetype start = 0; start < ranges.size(); start += kMaxMergesPerRecord) {
        const qsizetype count = std::min<qsizetype>(kMaxMergesPerRecord, ranges.size() - start);
        ByteWriter d;
        d.u16(uint16_t(count));
        for (qsizetype i = start; i < start + count; ++i) {
            d.u16(uint16_t(ranges[i].firstRow));
            d.u16(uint16_t(ranges[i].lastRow));
            d.u16(uint16_t(ranges[i].firstCol));
            d.u16(uint16_t(ranges[i].lastCol));
        }
        writeRecord(out, 0x00E5, d.data());
    }
}

} // namespace corvane::xls
