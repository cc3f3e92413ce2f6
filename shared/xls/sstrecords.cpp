#include "xls/sstrecords.h"

#include <QList>

namespace corvane::xls {

uint32_t StringTable::add(const QString& text)
{
    ++m_references;
    const auto it = m_index.constFind(text);
    if (it != m_index.constEnd())
        return *it;
    const uint32_t index = uint32_t(m_strings.size());
    m_strings.append(text);
    m_index.insert(text, index);
    return index;
}

namespace {

constexpr uint16_t kSstId = 0x00FC;
constexpr uint16_t kExtSstId = 0x00FF;
constexpr int kStringHeader = 3; // u16 count, u8 flags

// Builds records by hand so that splits fall where strings allow them.
class SplitRecordWriter {
public:
    SplitRecordWriter(ByteWriter& out, uint16_t id) : m_out(out), m_id(id) {}

    int room() const { return kMaxRecordData - int(m_data.size()); }
    // Stream offset of the current record's start, and the next byte's offset inside it
    // counting the 4-byte header.
    int recordStart() const { return m_out.size(); }
    int offsetInRecord() const { return 4 + int(m_data.size()); }

    void append(const QByteArray& bytes) { m_data.append(bytes); }
    void startContinue()
    {
        flush();
        m_id = kContinueId;
    }
    void flush()
    {
        m_out.u16(m_id);
        m_out.u16(uint16_t(m_data.size()));
        m_out.bytes(m_data);
        m_data.clear();
    }

private:
    ByteWriter& m_out;
    uint16_t m_id;
    QByteArray m_data;
};

QByteArray utf16Bytes(const QString& text, qsizetype from, qsizetype count)
{
    ByteWriter w;
    w.utf16(text.mid(from, count));
    return w.take();
}

} // namespace

void writeSst(ByteWriter& out, const StringTable& table)
{
    const QStringList& strings = table.strings();
    const int perBucket = std::max<int>(8, int(strings.size() / 128 + 1));
    struct Bucket {
        uint32_t streamOffset;
        uint16_t offsetInRecord;
    };
    QList<Bucket> buckets;

    SplitRecordWriter sst(out, kSstId);
    ByteWriter head;
    head.u32(table.references());
    head.u32(uint32_t(strings.size()));
    sst.append(head.data());

    for (int i = 0; i < strings.size(); ++i) {
        const QString text = cutAtWholeCharacter(strings[i], 32767);
        if (sst.room() < kStringHeader + 2)
            sst.startContinue();
        if (i % perBucket == 0)
            buckets.append({uint32_t(sst.recordStart() + sst.offsetInRecord()), uint16_t(sst.offsetInRecord())});
        ByteWriter header;
        header.u16(uint16_t(text.size()));
        header.u8(0x01);
        sst.append(header.data());
        qsizetype done = 0;
        while (done < text.size()) {
            qsizetype count = std::min<qsizetype>(sst.room() / 2, text.size() - done);
            // Keep a surrogate pair in one record: readers decode each record's part alone.
            if (count > 0 && done + count < text.size() && text[done + count - 1].isHighSurrogate())
                --count;
            if (count == 0) {
                sst.startContinue();
                sst.append(QByteArray(1, '\x01')); // a continued string restates its flags
                continue;
            }
            sst.append(utf16Bytes(text, done, count));
            done += count;
        }
    }
    sst.flush();

    ByteWriter ext;
    ext.u16(uint16_t(perBucket));
    for (const Bucket& b : buckets) {
        ext.u32(b.streamOffset);
        ext.u16(b.offsetInRecord);
        ext.u16(0);
    }
    writeRecord(out, kExtSstId, ext.data());
}

} // namespace corvane::xls
