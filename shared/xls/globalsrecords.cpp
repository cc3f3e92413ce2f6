#include "xls/globalsrecords.h"

namespace corvane::xls {

void writeBof(ByteWriter& out, BofType type)
{
    ByteWriter d;
    d.u16(0x0600); // BIFF8
    d.u16(uint16_t(type));
    d.u16(0x0DBB); // build
    d.u16(0x07CC); // year
    d.u32(0);
    d.u32(6); // lowest version that can read the file: BIFF8
    writeRecord(out, 0x0809, d.data());
}

void writeEof(ByteWriter& out) { writeRecord(out, 0x000A, {}); }

void writeCodePage(ByteWriter& out)
{
    ByteWriter d;
    d.u16(1200);
    writeRecord(out, 0x0042, d.data());
}

void writeWindow1(ByteWriter& out)
{
    ByteWriter d;
    d.u16(360);    // x, twips
    d.u16(270);    // y
    d.u16(14940);  // width
    d.u16(9150);   // height
    d.u16(0x0038); // horizontal and vertical scroll bars, sheet tabs
    d.u16(0);      // active tab
    d.u16(0);      // first visible tab
    d.u16(1);      // selected tabs
    d.u16(600);    // tab bar width ratio (per mille)
    writeRecord(out, 0x003D, d.data());
}

void writeDateMode(ByteWriter& out)
{
    ByteWriter d;
    d.u16(0);
    writeRecord(out, 0x0022, d.data());
}

void writeNormalStyle(ByteWriter& out)
{
    ByteWriter d;
    d.u16(0x8000); // built-in style, XF 0
    d.u8(0);       // Normal
    d.u8(0xFF);    // no outline level
    writeRecord(out, 0x0293, d.data());
}

int writeBoundSheet(ByteWriter& out, const QString& name)
{
    ByteWriter d;
    d.u32(0);
    d.u8(0); // visible
    d.u8(0); // worksheet
    d.shortUnicodeString(name);
    const int offsetField = out.size() + 4;
    writeRecord(out, 0x0085, d.data());
    return offsetField;
}

} // namespace corvane::xls
