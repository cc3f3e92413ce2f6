#include "xls/biffcheck.h"

#include "xls/bytewriter.h"

#include <QList>

namespace corvane::xls {

namespace {

constexpr uint16_t kBof = 0x0809;
constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kBoundSheet = 0x0085;
constexpr uint16_t kFormat = 0x041E;
constexpr uint16_t kLabel = 0x0204;
constexpr uint16_t kBiff8 = 0x0600;
constexpr uint16_t kEof = 0x000A;
constexpr uint16_t kDimensions = 0x0200;

uint16_t u16(const QByteArray& b, qsizetype at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

uint32_t u32(const QByteArray& b, qsizetype at) { return uint32_t(u16(b, at)) | uint32_t(u16(b, at + 2)) << 16; }

struct Record {
    uint16_t id;
    qsizetype data; // offset of the data in the stream
    qsizetype size;
};

// A string with a count of `countBytes` bytes, then flags, then characters, must end
// within the record.
bool stringFits(const QByteArray& s, const Record& r, qsizetype at, int countBytes)
{
    if (at + countBytes + 1 > r.size)
        return false;
    const qsizetype count = countBytes == 1 ? uint8_t(s[r.data + at]) : u16(s, r.data + at);
    const int width = (uint8_t(s[r.data + at + countBytes]) & 0x01) ? 2 : 1;
    return at + countBytes + 1 + count * width <= r.size;
}

// The shared string table: the SST record and the CONTINUE records after it, read as the
// format lays strings out across them.
class SstReader {
public:
    SstReader(const QByteArray& s, QList<Record> segments) : m_s(s), m_segments(std::move(segments)) {}

    bool check()
    {
        if (m_segments.first().size < 8)
            return false;
        const uint32_t unique = u32(m_s, m_segments.first().data + 4);
        m_pos = 8;
        for (uint32_t i = 0; i < unique; ++i)
            if (!readString())
                return false;
        return true;
    }

private:
    qsizetype left() const { return m_segments[m_index].size - m_pos; }
    bool nextSegment()
    {
        if (++m_index >= m_segments.size())
            return false;
        m_pos = 0;
        return true;
    }
    // Moves on to the next segment when this one is used up.
    bool ensure(qsizetype bytes)
    {
        if (left() == 0 && !nextSegment())
            return false;
        return left() >= bytes;
    }
    uint8_t byte() { return uint8_t(m_s[m_segments[m_index].data + m_pos++]); }
    uint16_t word()
    {
        const uint16_t v = u16(m_s, m_segments[m_index].data + m_pos);
        m_pos += 2;
        return v;
    }
    uint32_t dword()
    {
        const uint32_t v = u32(m_s, m_segments[m_index].data + m_pos);
        m_pos += 4;
        return v;
    }
    // Skips bytes that may run on into following segments without a flags byte.
    bool skip(qint64 bytes)
    {
        while (bytes > 0) {
            if (left() == 0 && !nextSegment())
                return false;
            const qsizetype step = qsizetype(std::min<qint64>(bytes, left()));
            m_pos += step;
            bytes -= step;
        }
        return true;
    }

    bool readString()
    {
        if (!ensure(3))
            return false;
        qsizetype count = word();
        uint8_t flags = byte();
        uint16_t runs = 0;
        uint32_t extension = 0;
        if (flags & 0x08) {
            if (left() < 2)
                return false;
            runs = word();
        }
        if (flags & 0x04) {
            if (left() < 4)
                return false;
            extension = dword();
        }
        while (count > 0) {
            if (left() == 0) {
                // A string continued in the next record restates its width.
                if (!nextSegment() || left() < 1)
                    return false;
                flags = byte();
                if (left() == 0)
                    return false;
            }
            const int width = (flags & 0x01) ? 2 : 1;
            if (left() < width)
                return false;
            const qsizetype take = std::min(count, left() / width);
            m_pos += take * width;
            count -= take;
            if (count > 0 && left() != 0)
                return false; // a character split between records
        }
        return skip(qint64(runs) * 4) && skip(extension);
    }

    const QByteArray& m_s;
    QList<Record> m_segments;
    qsizetype m_index = 0;
    qsizetype m_pos = 0;
};

} // namespace

bool checkBiffStream(const QByteArray& stream, QString* error)
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return false;
    };
    QList<Record> records;
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        const Record r{u16(stream, pos), pos + 4, u16(stream, pos + 2)};
        if (r.size > kMaxRecordData || r.data + r.size > stream.size())
            return fail(QStringLiteral("ブックのレコードが壊れています"));
        records.append(r);
        pos = r.data + r.size;
    }
    if (records.isEmpty() || records.first().id != kBof || records.first().size < 4
        || u16(stream, records.first().data) != kBiff8)
        return fail(QStringLiteral("Excel 97 以降の形式のブックではありません"));

    int dimensionsInSubstream = 0;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        bool fits = true;
        switch (r.id) {
        case kBof:
            fits = r.size >= 4 && u16(stream, r.data) == kBiff8;
            dimensionsInSubstream = 0;
            break;
        case kEof:
            dimensionsInSubstream = 0;
            break;
        case kDimensions:
            // FreeXL sizes a sheet's grid from it, and a second one makes it free the first
            // grid twice.
            fits = r.size >= 12 && ++dimensionsInSubstream == 1 && u32(stream, r.data) <= u32(stream, r.data + 4)
                   && u32(stream, r.data + 4) <= 65536 && u16(stream, r.data + 8) <= u16(stream, r.data + 10)
                   && u16(stream, r.data + 10) <= 256;
            break;
        case kBoundSheet:
            fits = stringFits(stream, r, 6, 1);
            break;
        case kFormat:
            fits = stringFits(stream, r, 2, 2);
            break;
        case kLabel:
            fits = stringFits(stream, r, 6, 2);
            break;
        case kSst: {
            QList<Record> segments{r};
            while (i + 1 < records.size() && records[i + 1].id == kContinueId)
                segments.append(records[++i]);
            fits = SstReader(stream, segments).check();
            break;
        }
        default:
            break;
        }
        if (!fits)
            return fail(r.id == kDimensions ? QStringLiteral("ブックのシートの範囲が壊れています")
                                            : QStringLiteral("ブックの文字列が壊れています"));
    }
    return true;
}

} // namespace corvane::xls
