#pragma once
// Little-endian byte sink shared by every record writer of the .xls format, plus the one
// record emitter (id, length, data). Records longer than the format allows are split into
// CONTINUE records by the emitter, except where a record group needs its own split (SST).
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <utility>

namespace corvane::xls {

// The first `maxUnits` UTF-16 units of text, one fewer when the cut would leave the first half
// of a surrogate pair: a lone half makes readers reject the whole workbook.
QString cutAtWholeCharacter(const QString& text, qsizetype maxUnits);

class ByteWriter {
public:
    void u8(uint8_t v) { m_bytes.append(char(v)); }
    void u16(uint16_t v);
    void u32(uint32_t v);
    void u64(uint64_t v);
    void f64(double v);
    void zeros(int count) { m_bytes.append(count, '\0'); }
    void bytes(const QByteArray& data) { m_bytes.append(data); }
    // UTF-16LE code units of text, no header.
    void utf16(const QString& text);
    // XLUnicodeString: u16 count, flags, characters (always UTF-16, which any text needs).
    void unicodeString(const QString& text);
    // ShortXLUnicodeString: u8 count (at most 255 characters; longer text is cut).
    void shortUnicodeString(const QString& text);

    // Overwrites 4 bytes at offset (for stream offsets known only later).
    void patchU32(int offset, uint32_t v);

    int size() const { return int(m_bytes.size()); }
    const QByteArray& data() const { return m_bytes; }
    QByteArray take() { return std::exchange(m_bytes, {}); }

private:
    QByteArray m_bytes;
};

inline constexpr int kMaxRecordData = 8224;
inline constexpr uint16_t kContinueId = 0x003C;

// Appends one record; data beyond kMaxRecordData goes on in CONTINUE records.
void writeRecord(ByteWriter& out, uint16_t id, const QByteArray& data);

} // namespace corvane::xls
