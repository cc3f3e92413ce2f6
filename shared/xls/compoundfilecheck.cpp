#include "xls/compoundfilecheck.h"

#include <QList>
#include <QSet>

namespace corvane::xls {

namespace {

constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr uint32_t kFreeSector = 0xFFFFFFFF;
constexpr int kHeaderFatSlots = 109;
constexpr int kEntrySize = 128;

uint32_t u32(const QByteArray& b, qsizetype at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + at);
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t u16(const QByteArray& b, qsizetype at)
{
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData() + at);
    return uint16_t(p[0] | p[1] << 8);
}

class Checker {
public:
    explicit Checker(const QByteArray& file) : m_file(file) {}

    bool run(QString* why)
    {
        if (m_file.size() < 512 || m_file.left(8) != QByteArray::fromHex("D0CF11E0A1B11AE1"))
            return fail(why, QStringLiteral("ブックの形式ではありません"));
        const uint16_t shift = u16(m_file, 0x1E);
        if (shift != 9 && shift != 12)
            return fail(why, QStringLiteral("ブックのセクタ長が不正です"));
        m_sectorSize = qsizetype(1) << shift;
        if (m_file.size() < 2 * m_sectorSize)
            return fail(why, QStringLiteral("ブックが途中で切れています"));
        // Only whole sectors count: the FAT, DIFAT and directory sectors are read in full.
        m_sectorCount = (m_file.size() - m_sectorSize) / m_sectorSize;
        if (!loadFat())
            return fail(why, QStringLiteral("ブックの管理表が壊れています"));
        if (!checkDirectory(u32(m_file, 0x30)))
            return fail(why, QStringLiteral("ブックのディレクトリが壊れています"));
        if (!checkStreams())
            return fail(why, QStringLiteral("ブックのストリームが壊れています"));
        return true;
    }

private:
    static bool fail(QString* why, const QString& text)
    {
        if (why)
            *why = text;
        return false;
    }

    qsizetype sectorOffset(uint32_t sector) const { return qsizetype(sector + 1) * m_sectorSize; }
    bool inFile(uint32_t sector) const { return qsizetype(sector) < m_sectorCount; }

    // The FAT's sector numbers come from the header's 109 slots, then from the chain of
    // DIFAT sectors.
    bool loadFat()
    {
        const uint32_t fatSectors = u32(m_file, 0x2C);
        if (qsizetype(fatSectors) > m_sectorCount)
            return false;
        QList<uint32_t> fatList;
        for (int i = 0; i < kHeaderFatSlots && uint32_t(fatList.size()) < fatSectors; ++i)
            fatList.append(u32(m_file, 0x4C + 4 * i));
        uint32_t difat = u32(m_file, 0x44);
        QSet<uint32_t> seen;
        const int perDifat = int(m_sectorSize / 4) - 1;
        while (uint32_t(fatList.size()) < fatSectors) {
            if (!inFile(difat) || seen.contains(difat))
                return false;
            seen.insert(difat);
            for (int i = 0; i < perDifat && uint32_t(fatList.size()) < fatSectors; ++i)
                fatList.append(u32(m_file, sectorOffset(difat) + 4 * i));
            difat = u32(m_file, sectorOffset(difat) + 4 * perDifat);
        }
        for (uint32_t sector : fatList) {
            if (!inFile(sector))
                return false;
            const qsizetype at = sectorOffset(sector);
            for (qsizetype i = 0; i < m_sectorSize; i += 4)
                m_fat.append(u32(m_file, at + i));
        }
        return true;
    }

    // A chain of table that starts at first, visits no entry twice, stays below limit and
    // holds at least count entries before it ends.
    static bool chainCovers(const QList<uint32_t>& table, uint32_t first, qsizetype count, qsizetype limit)
    {
        QSet<uint32_t> seen;
        uint32_t at = first;
        for (qsizetype i = 0; i < count; ++i) {
            if (qsizetype(at) >= limit || qsizetype(at) >= table.size() || seen.contains(at))
                return false;
            seen.insert(at);
            at = table[at];
        }
        return true;
    }

    // Every stream's sectors are inside the file: large streams through the FAT, small
    // ones through the mini FAT inside the root entry's mini stream.
    bool checkStreams()
    {
        const uint32_t cutoff = u32(m_file, 0x38);
        m_cutoff = cutoff;
        const uint32_t miniFatStart = u32(m_file, 0x3C);
        const uint32_t miniFatSectors = u32(m_file, 0x40);
        QList<uint32_t> miniFat;
        if (miniFatSectors > 0) {
            if (qsizetype(miniFatSectors) > m_sectorCount
                || !chainCovers(m_fat, miniFatStart, miniFatSectors, m_sectorCount))
                return false;
            uint32_t sector = miniFatStart;
            for (uint32_t i = 0; i < miniFatSectors; ++i) {
                for (qsizetype k = 0; k < m_sectorSize; k += 4)
                    miniFat.append(u32(m_file, sectorOffset(sector) + k));
                sector = m_fat[sector];
            }
        }
        qsizetype miniSectors = 0;
        for (const auto& [type, start, size, name] : m_entries) {
            const qsizetype sectors = qsizetype((size + m_sectorSize - 1) / m_sectorSize);
            if (type == 5) {
                if (!chainCovers(m_fat, start, sectors, m_sectorCount))
                    return false;
                miniSectors = qsizetype(size / 64);
                m_rootStart = start;
            }
        }
        for (const auto& [type, start, size, name] : m_entries) {
            if (type != 2 || size == 0)
                continue;
            if (size >= cutoff) {
                if (!chainCovers(m_fat, start, qsizetype((size + m_sectorSize - 1) / m_sectorSize), m_sectorCount))
                    return false;
            } else if (!chainCovers(miniFat, start, qsizetype((size + 63) / 64), miniSectors)) {
                return false;
            }
        }
        m_miniFat = miniFat;
        return true;
    }

    bool checkDirectory(uint32_t sector)
    {
        QSet<uint32_t> seen;
        while (sector != kEndOfChain) {
            if (!inFile(sector) || seen.contains(sector) || qsizetype(sector) >= m_fat.size())
                return false;
            seen.insert(sector);
            const qsizetype at = sectorOffset(sector);
            for (qsizetype entry = at; entry < at + m_sectorSize; entry += kEntrySize) {
                if (!entryNameFits(entry))
                    return false;
                const uint8_t type = uint8_t(m_file[entry + 66]);
                if (type == 2 || type == 5) {
                    // Sizes above 4 GB cannot be real here; the high half stays 0.
                    if (u32(m_file, entry + 124) != 0)
                        return false;
                    const int nameChars = std::max(0, u16(m_file, entry + 64) / 2 - 1);
                    QString name;
                    for (int c = 0; c < nameChars; ++c)
                        name.append(QChar(u16(m_file, entry + 2 * c)));
                    m_entries.append({type, u32(m_file, entry + 116), u32(m_file, entry + 120), name});
                }
            }
            sector = m_fat[sector];
            if (sector == kFreeSector)
                return false;
        }
        return !seen.isEmpty();
    }

    bool entryNameFits(qsizetype entry) const
    {
        const uint16_t length = u16(m_file, entry + 64);
        if (length == 0)
            return true;
        return length <= 64 && length % 2 == 0 && u16(m_file, entry + length - 2) == 0;
    }

    const QByteArray& m_file;
    qsizetype m_sectorSize = 512;
    qsizetype m_sectorCount = 0;
    QList<uint32_t> m_fat;
    struct Entry {
        uint8_t type;
        uint32_t start;
        uint32_t size;
        QString name;
    };
    QList<Entry> m_entries;
    QList<uint32_t> m_miniFat;
    uint32_t m_rootStart = kEndOfChain;
    uint32_t m_cutoff = 4096;

public:
    // The bytes of the stream of that name (ASCII case ignored); empty when there is none.
    // Only valid after run() succeeded, which proved every chain used here.
    QByteArray stream(const QString& name) const
    {
        for (const Entry& e : m_entries) {
            if (e.type != 2 || e.name.compare(name, Qt::CaseInsensitive) != 0)
                continue;
            QByteArray out;
            if (e.size >= m_cutoff) {
                uint32_t sector = e.start;
                while (out.size() < qsizetype(e.size)) {
                    out.append(m_file.mid(sectorOffset(sector), m_sectorSize));
                    sector = m_fat[sector];
                }
            } else {
                const QByteArray mini = readChain(m_rootStart);
                uint32_t sector = e.start;
                while (out.size() < qsizetype(e.size)) {
                    out.append(mini.mid(qsizetype(sector) * 64, 64));
                    sector = m_miniFat[sector];
                }
            }
            out.truncate(e.size);
            return out;
        }
        return {};
    }

private:
    QByteArray readChain(uint32_t sector) const
    {
        QByteArray out;
        QSet<uint32_t> seen;
        while (inFile(sector) && qsizetype(sector) < m_fat.size() && !seen.contains(sector)) {
            seen.insert(sector);
            out.append(m_file.mid(sectorOffset(sector), m_sectorSize));
            sector = m_fat[sector];
        }
        return out;
    }
};

} // namespace

bool checkCompoundFile(const QByteArray& file, QString* error, QByteArray* workbookStream)
{
    Checker checker(file);
    if (!checker.run(error))
        return false;
    if (workbookStream) {
        *workbookStream = checker.stream(QStringLiteral("Workbook"));
        if (workbookStream->isEmpty())
            *workbookStream = checker.stream(QStringLiteral("Book"));
    }
    return true;
}

} // namespace corvane::xls
