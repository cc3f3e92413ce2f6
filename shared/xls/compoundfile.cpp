#include "xls/compoundfile.h"

#include "xls/bytewriter.h"

namespace corvane::xls {

namespace {

constexpr int kSectorSize = 512;
constexpr int kEntriesPerFatSector = kSectorSize / 4;
constexpr int kHeaderFatSlots = 109;
constexpr int kMiniStreamCutoff = 4096;
constexpr uint32_t kFree = 0xFFFFFFFF;
constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFatSector = 0xFFFFFFFD;
constexpr uint32_t kNoStream = 0xFFFFFFFF;

void writeDirectoryEntry(ByteWriter& out, const QString& name, uint8_t type, uint32_t child, uint32_t start,
                         uint32_t size)
{
    const int begin = out.size();
    if (!name.isEmpty()) {
        out.utf16(name);
        out.u16(0);
    }
    out.zeros(64 - (out.size() - begin));
    out.u16(name.isEmpty() ? 0 : uint16_t((name.size() + 1) * 2));
    out.u8(type);
    out.u8(type == 0 ? 0 : 1); // black: the tree has one node per level
    out.u32(kNoStream);        // left sibling
    out.u32(kNoStream);        // right sibling
    out.u32(child);
    out.zeros(16); // CLSID
    out.u32(0);    // state bits
    out.zeros(16); // created, modified
    out.u32(start);
    out.u64(size);
}

} // namespace

QByteArray buildCompoundFile(const QByteArray& stream, const QString& streamName, QString* error)
{
    QByteArray padded = stream;
    if (padded.size() < kMiniStreamCutoff)
        padded.append(kMiniStreamCutoff - padded.size(), '\0');
    const uint32_t streamSize = uint32_t(padded.size());
    const int streamSectors = int((padded.size() + kSectorSize - 1) / kSectorSize);
    padded.append(streamSectors * kSectorSize - padded.size(), '\0');

    int fatSectors = 1;
    while (fatSectors * kEntriesPerFatSector < fatSectors + 1 + streamSectors)
        ++fatSectors;
    if (fatSectors > kHeaderFatSlots) {
        if (error)
            *error = QStringLiteral("ブックが大きすぎます");
        return {};
    }
    const uint32_t directorySector = uint32_t(fatSectors);
    const uint32_t firstStreamSector = directorySector + 1;

    ByteWriter out;
    // Header.
    out.bytes(QByteArray::fromHex("D0CF11E0A1B11AE1"));
    out.zeros(16);
    out.u16(0x003E);
    out.u16(0x0003);
    out.u16(0xFFFE);
    out.u16(9); // 512-byte sectors
    out.u16(6); // 64-byte mini sectors
    out.zeros(6);
    out.u32(0); // directory sectors: always 0 in version 3
    out.u32(uint32_t(fatSectors));
    out.u32(directorySector);
    out.u32(0);
    out.u32(kMiniStreamCutoff);
    out.u32(kEndOfChain); // no mini FAT
    out.u32(0);
    out.u32(kEndOfChain); // no DIFAT sectors
    out.u32(0);
    for (int i = 0; i < kHeaderFatSlots; ++i)
        out.u32(i < fatSectors ? uint32_t(i) : kFree);

    // FAT.
    const int fatStart = out.size();
    for (int i = 0; i < fatSectors; ++i)
        out.u32(kFatSector);
    out.u32(kEndOfChain); // the directory's single sector
    for (int i = 0; i < streamSectors; ++i)
        out.u32(i + 1 < streamSectors ? firstStreamSector + uint32_t(i) + 1 : kEndOfChain);
    while ((out.size() - fatStart) < fatSectors * kSectorSize)
        out.u32(kFree);

    // Directory: root, the stream, two empty entries.
    writeDirectoryEntry(out, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    writeDirectoryEntry(out, streamName, 2, kNoStream, firstStreamSector, streamSize);
    writeDirectoryEntry(out, {}, 0, kNoStream, 0, 0);
    writeDirectoryEntry(out, {}, 0, kNoStream, 0, 0);

    out.bytes(padded);
    return out.take();
}

} // namespace corvane::xls
