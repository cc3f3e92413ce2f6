#include "xls/formatrecords.h"

namespace corvane::xls {

void writeFont(ByteWriter& out, const FontSpec& font)
{
    ByteWriter d;
    d.u16(font.heightTwips);
    d.u16(0); // not italic, not struck out
    d.u16(font.colourIcv);
    d.u16(400); // normal weight
    d.u16(0);   // no super/subscript
    d.u8(0);    // no underline
    d.u8(0);    // family: don't care
    d.u8(0x80); // Shift-JIS character set: the face is a Japanese one
    d.u8(0);
    d.shortUnicodeString(font.name);
    writeRecord(out, 0x0031, d.data());
}

void writeFormat(ByteWriter& out, uint16_t index, const QString& format)
{
    ByteWriter d;
    d.u16(index);
    d.unicodeString(format);
    writeRecord(out, 0x041E, d.data());
}

void writeXf(ByteWriter& out, const XfSpec& xf)
{
    ByteWriter d;
    d.u16(xf.font);
    d.u16(xf.numberFormat);
    d.u16(xf.styleXf ? 0xFFF5 : 0x0001);     // locked; a style XF has no parent
    d.u8(uint8_t(int(xf.align) | (2 << 4))); // vertical: bottom
    d.u8(0);                                 // rotation
    d.u8(0);                                 // indent, shrink
    d.u8(xf.styleXf ? 0xF4 : 0xFC);          // attribute groups this XF sets
    const Borders& b = xf.borders;
    const uint32_t lineStyles =
        uint32_t(b.left) | uint32_t(b.right) << 4 | uint32_t(b.top) << 8 | uint32_t(b.bottom) << 12;
    const auto colourIf = [](Line line) { return line == Line::None ? 0u : uint32_t(kIcvAutomaticBorder); };
    d.u32(lineStyles | colourIf(b.left) << 16 | colourIf(b.right) << 23);
    const uint32_t pattern = xf.fillIcv ? 1u : 0u;
    d.u32(colourIf(b.top) | colourIf(b.bottom) << 7 | pattern << 26);
    const uint16_t patternColour = xf.fillIcv ? xf.fillIcv : kIcvAutomaticBorder;
    d.u16(uint16_t(patternColour | kIcvPatternBackground << 7));
    writeRecord(out, 0x00E0, d.data());
}

void writeDefaultXfs(ByteWriter& out)
{
    XfSpec style;
    style.styleXf = true;
    for (int i = 0; i < 15; ++i)
        writeXf(out, style);
    writeXf(out, XfSpec{});
}

} // namespace corvane::xls
