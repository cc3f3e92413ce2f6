#include "xls/bytewriter.h"

#include <algorithm>
#include <cstring>

namespace corvane::xls {

void ByteWriter::u16(uint16_t v)
{
    u8(uint8_t(v));
    u8(uint8_t(v >> 8));
}

void ByteWriter::u32(uint32_t v)
{
    u16(uint16_t(v));
    u16(uint16_t(v >> 16));
}

void ByteWriter::u64(uint64_t v)
{
    u32(uint32_t(v));
    u32(uint32_t(v >> 32));
}

void ByteWriter::f64(double v)
{
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof v);
    std::memcpy(&bits, &v, sizeof bits);
    u64(bits);
}

void ByteWriter::utf16(const QString& text)
{
    for (QChar c : text)
        u16(c.unicode());
}

QString cutAtWholeCharacter(const QString& text, qsizetype maxUnits)
{
    if (text.size() <= maxUnits)
        return text;
    qsizetype units = std::max<qsizetype>(0, maxUnits);
    if (units > 0 && text.at(units - 1).isHighSurrogate())
        --units;
    return text.left(units);
}

void ByteWriter::unicodeString(const QString& text)
{
    const QString cut = cutAtWholeCharacter(text, 0xFFFF);
    u16(uint16_t(cut.size()));
    u8(0x01);
    utf16(cut);
}

void ByteWriter::shortUnicodeString(const QString& text)
{
    const QString cut = cutAtWholeCharacter(text, 255);
    u8(uint8_t(cut.size()));
    u8(0x01);
    utf16(cut);
}

void ByteWriter::patchU32(int offset, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        m_bytes[offset + i] = char(uint8_t(v >> (8 * i)));
}

void writeRecord(ByteWriter& out, uint16_t id, const QByteArray& data)
{
    qsizetype pos = 0;
    uint16_t recordId = id;
    do {
        const qsizetype chunk = std::min<qsizetype>(kMaxRecordData, data.size() - pos);
        out.u16(recordId);
        out.u16(uint16_t(chunk));
        out.bytes(data.mid(pos, chunk));
        pos += chunk;
        recordId = kContinueId;
    } while (pos < data.size());
}

} // namespace corvane::xls
