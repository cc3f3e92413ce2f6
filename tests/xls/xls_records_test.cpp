// Each record writer byte for byte on tiny inputs, the container's structure, and the
// number conversions (date serials, column widths).
#include "xls/cellrecords.h"
#include "xls/compoundfile.h"
#include "xls/formatrecords.h"
#include "xls/globalsrecords.h"
#include "xls/sstrecords.h"
#include "xls/viewrecords.h"
#include "xls/xlswriter.h"

#include <gtest/gtest.h>

using namespace corvane::xls;

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(QByteArray(text).replace(' ', "")); }

template <typename F>
QByteArray recordOf(F write)
{
    ByteWriter out;
    write(out);
    return out.take();
}

uint16_t u16At(const QByteArray& b, qsizetype at) { return uint16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8); }

uint32_t u32At(const QByteArray& b, qsizetype at) { return uint32_t(u16At(b, at)) | uint32_t(u16At(b, at + 2)) << 16; }

} // namespace

TEST(XlsRecords, FramingAndGlobals)
{
    EXPECT_EQ(recordOf([](auto& o) { writeBof(o, BofType::Worksheet); }),
              hex("0908 1000 0006 1000 BB0D CC07 00000000 06000000"));
    EXPECT_EQ(recordOf([](auto& o) { writeEof(o); }), hex("0A00 0000"));
    EXPECT_EQ(recordOf([](auto& o) { writeCodePage(o); }), hex("4200 0200 B004"));
    EXPECT_EQ(recordOf([](auto& o) { writeDateMode(o); }), hex("2200 0200 0000"));
    EXPECT_EQ(recordOf([](auto& o) { writeNormalStyle(o); }), hex("9302 0400 0080 00FF"));

    ByteWriter out;
    out.u8(0xAA); // the offset field's position is counted from the stream start
    const int field = writeBoundSheet(out, QStringLiteral("表"));
    EXPECT_EQ(field, 5);
    EXPECT_EQ(out.data(), hex("AA 8500 0A00 00000000 00 00 01 01 6888"));
    out.patchU32(field, 0x01020304);
    EXPECT_EQ(out.data().mid(5, 4), hex("04030201"));
}

TEST(XlsRecords, FontFormatAndXf)
{
    EXPECT_EQ(recordOf([](auto& o) {
                  writeFont(o, FontSpec{QStringLiteral("A"), 220, icvFromColorIndex(2)});
              }),
              hex("3100 1200 DC00 0000 0900 9001 0000 00 00 80 00 01 01 4100"));
    EXPECT_EQ(recordOf([](auto& o) { writeFormat(o, 164, QStringLiteral("h")); }), hex("1E04 0700 A400 0100 01 6800"));

    // Thin left, hair right, thin top, no bottom; light green fill (ColorIndex 35 → icv 42).
    XfSpec xf;
    xf.font = 5;
    xf.numberFormat = 164;
    xf.align = HAlign::Centre;
    xf.borders = {Line::Thin, Line::Hair, Line::Thin, Line::None};
    xf.fillIcv = icvFromColorIndex(35);
    const QByteArray bytes = recordOf([&](auto& o) { writeXf(o, xf); });
    ASSERT_EQ(bytes.size(), 24);
    EXPECT_EQ(bytes.left(14), hex("E000 1400 0500 A400 0100 22 00 00 FC"));
    const uint32_t lines = u32At(bytes, 14);
    EXPECT_EQ(lines & 0xF, 1u);
    EXPECT_EQ(lines >> 4 & 0xF, 7u);
    EXPECT_EQ(lines >> 8 & 0xF, 1u);
    EXPECT_EQ(lines >> 12 & 0xF, 0u);
    EXPECT_EQ(lines >> 16 & 0x7F, 64u); // left colour automatic
    const uint32_t more = u32At(bytes, 18);
    EXPECT_EQ(more & 0x7F, 64u);     // top colour
    EXPECT_EQ(more >> 7 & 0x7F, 0u); // no bottom line, no colour
    EXPECT_EQ(more >> 26, 1u);       // solid
    EXPECT_EQ(u16At(bytes, 22) & 0x7F, 42);
    EXPECT_EQ(u16At(bytes, 22) >> 7 & 0x7F, 65);

    ByteWriter defaults;
    writeDefaultXfs(defaults);
    EXPECT_EQ(defaults.size(), 16 * 24);
    EXPECT_EQ(u16At(defaults.data(), 14 * 24 + 8), 0xFFF5); // style XF 14
    EXPECT_EQ(u16At(defaults.data(), 15 * 24 + 8), 0x0001); // cell XF 15, parent Normal
}

TEST(XlsRecords, CellsAndRows)
{
    EXPECT_EQ(recordOf([](auto& o) { writeNumber(o, 1, 2, 16, 45306.0); }),
              hex("0302 0E00 0100 0200 1000 00000000401FE640"));
    EXPECT_EQ(recordOf([](auto& o) { writeLabelSst(o, 3, 0, 17, 5); }), hex("FD00 0A00 0300 0000 1100 05000000"));
    EXPECT_EQ(recordOf([](auto& o) { writeBlank(o, 0, 255, 15); }), hex("0102 0600 0000 FF00 0F00"));
    EXPECT_EQ(recordOf([](auto& o) { writeRow(o, 9, 0, 3); }),
              hex("0802 1000 0900 0000 0300 0E01 0000 0000 0001 0F00"));
    EXPECT_EQ(recordOf([](auto& o) { writeDimensions(o, 0, 301, 0, 3); }),
              hex("0002 0E00 00000000 2D010000 0000 0300 0000"));
    EXPECT_EQ(recordOf([](auto& o) { writeColInfo(o, 2, 2, 12960, 18); }),
              hex("7D00 0C00 0200 0200 A032 1200 0200 0000"));
    EXPECT_EQ(recordOf([](auto& o) { writeWsBool(o); }), hex("8100 0200 C104"));
}

TEST(XlsRecords, ViewRecords)
{
    EXPECT_EQ(recordOf([](auto& o) { writeWindow2(o, 0); }),
              hex("3E02 1200 B606 0000 0000 4000 0000 0000 0000 00000000"));
    EXPECT_EQ(recordOf([](auto& o) { writeWindow2(o, 2); }).mid(4, 2), hex("BE07"));
    EXPECT_TRUE(recordOf([](auto& o) { writePane(o, 0); }).isEmpty());
    EXPECT_EQ(recordOf([](auto& o) { writePane(o, 1); }), hex("4100 0A00 0000 0100 0100 0000 02 00"));
    EXPECT_EQ(recordOf([](auto& o) { writeSelection(o, 2); }), hex("1D00 0F00 02 0200 0000 0000 0100 0200 0200 00 00"));
    EXPECT_EQ(recordOf([](auto& o) { writeSelection(o, 0); }).mid(4, 1), hex("03"));

    EXPECT_TRUE(recordOf([](auto& o) { writeMergedCells(o, {}); }).isEmpty());
    EXPECT_EQ(recordOf([](auto& o) {
                  writeMergedCells(o, {Range{0, 0, 0, 5}});
              }),
              hex("E500 0A00 0100 0000 0000 0000 0500"));
    // More ranges than one record may carry go on in a second record.
    QList<Range> many;
    for (int i = 0; i < 1030; ++i)
        many.append(Range{i, i, 0, 1});
    const QByteArray split = recordOf([&](auto& o) { writeMergedCells(o, many); });
    EXPECT_EQ(u16At(split, 2), 2 + 8 * 1026);
    EXPECT_EQ(u16At(split, 4), 1026);
    const qsizetype second = 4 + 2 + 8 * 1026;
    EXPECT_EQ(u16At(split, second), 0x00E5);
    EXPECT_EQ(u16At(split, second + 4), 4);
}

TEST(XlsRecords, LongRecordGoesOnInContinue)
{
    ByteWriter out;
    writeRecord(out, 0x1234, QByteArray(kMaxRecordData + 10, 'x'));
    const QByteArray b = out.data();
    ASSERT_EQ(b.size(), 4 + kMaxRecordData + 4 + 10);
    EXPECT_EQ(u16At(b, 0), 0x1234);
    EXPECT_EQ(u16At(b, 2), kMaxRecordData);
    EXPECT_EQ(u16At(b, 4 + kMaxRecordData), kContinueId);
    EXPECT_EQ(u16At(b, 6 + kMaxRecordData), 10);
}

TEST(XlsRecords, SharedStringTable)
{
    StringTable table;
    EXPECT_EQ(table.add(QStringLiteral("a")), 0u);
    EXPECT_EQ(table.add(QStringLiteral("日")), 1u);
    EXPECT_EQ(table.add(QStringLiteral("a")), 0u);
    ByteWriter out;
    out.zeros(100); // the table does not start the stream
    writeSst(out, table);
    EXPECT_EQ(out.data().mid(100), hex("FC00 1200 03000000 02000000 0100 01 6100 0100 01 E565"
                                       "FF00 0A00 0800 70000000 0C00 0000"));
}

TEST(XlsRecords, SharedStringTableSplitsWhereStringsAllow)
{
    // One string that fills the SST record and runs on: the continued part restates its
    // flags byte; the next string's header stays with its first character.
    StringTable table;
    const QString longText(5000, QChar(u'あ'));
    table.add(longText);
    table.add(QStringLiteral("xyz"));
    ByteWriter out;
    writeSst(out, table);
    const QByteArray b = out.data();
    ASSERT_EQ(u16At(b, 0), 0x00FC);
    const int firstLength = u16At(b, 2);
    EXPECT_EQ(firstLength % 2, 1); // 8 + 3 + an even number of character bytes
    EXPECT_EQ(firstLength, 8 + 3 + (kMaxRecordData - 11) / 2 * 2);
    const int cont = 4 + firstLength;
    EXPECT_EQ(u16At(b, cont), kContinueId);
    EXPECT_EQ(uint8_t(b[cont + 4]), 0x01); // fresh flags byte
    const int charsInFirst = (firstLength - 11) / 2;
    const int contLength = u16At(b, cont + 2);
    EXPECT_EQ(contLength, 1 + (5000 - charsInFirst) * 2 + 3 + 6);
    EXPECT_EQ(u16At(b, cont + 4 + 1 + (5000 - charsInFirst) * 2), 3); // "xyz" header follows
    // EXTSST points at the first string of the only bucket.
    const int ext = cont + 4 + contLength;
    EXPECT_EQ(u16At(b, ext), 0x00FF);
    EXPECT_EQ(u32At(b, ext + 6), 12u);
    EXPECT_EQ(u16At(b, ext + 10), 12);
}

TEST(XlsRecords, SharedStringTableBucketsPointIntoContinueRecords)
{
    StringTable table;
    for (int i = 0; i < 3000; ++i)
        table.add(QStringLiteral("文字列%1").arg(i, 4, 10, QChar(u'0')));
    ByteWriter out;
    writeSst(out, table);
    const QByteArray b = out.data();
    // Find EXTSST and check that every bucket's offsets land on a string header that
    // holds the expected string.
    qsizetype pos = 0;
    while (u16At(b, pos) != 0x00FF)
        pos += 4 + u16At(b, pos + 2);
    const int perBucket = u16At(b, pos + 4);
    EXPECT_EQ(perBucket, 3000 / 128 + 1);
    const int buckets = (u16At(b, pos + 2) - 2) / 8;
    EXPECT_EQ(buckets, (3000 + perBucket - 1) / perBucket);
    for (int i = 0; i < buckets; ++i) {
        const uint32_t at = u32At(b, pos + 6 + 8 * i);
        const uint16_t inRecord = u16At(b, pos + 10 + 8 * i);
        const qsizetype recordStart = at - inRecord;
        const uint16_t id = u16At(b, recordStart);
        EXPECT_TRUE(id == 0x00FC || id == kContinueId) << i;
        ASSERT_EQ(u16At(b, at), 7) << i;
        QString text;
        for (int k = 0; k < 7; ++k)
            text.append(QChar(u16At(b, at + 3 + 2 * k)));
        EXPECT_EQ(text, QStringLiteral("文字列%1").arg(i * perBucket, 4, 10, QChar(u'0')));
    }
}

TEST(XlsContainer, OneStreamLaidOutAsReadersExpect)
{
    const QByteArray stream(100, 'w');
    const QByteArray file = buildCompoundFile(stream);
    // Header, one FAT sector, one directory sector, the stream padded to 4096 bytes.
    ASSERT_EQ(file.size(), 512 * (3 + 8));
    EXPECT_EQ(file.left(8), hex("D0CF11E0A1B11AE1"));
    EXPECT_EQ(u16At(file, 0x1A), 3);
    EXPECT_EQ(u16At(file, 0x1E), 9);
    EXPECT_EQ(u32At(file, 0x2C), 1u); // FAT sectors
    EXPECT_EQ(u32At(file, 0x30), 1u); // directory sector
    EXPECT_EQ(u32At(file, 0x38), 4096u);
    EXPECT_EQ(u32At(file, 0x4C), 0u); // DIFAT[0]: the FAT is sector 0
    EXPECT_EQ(u32At(file, 0x50), 0xFFFFFFFFu);
    const qsizetype fat = 512;
    EXPECT_EQ(u32At(file, fat), 0xFFFFFFFDu);
    EXPECT_EQ(u32At(file, fat + 4), 0xFFFFFFFEu);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(u32At(file, fat + 8 + 4 * i), uint32_t(3 + i));
    EXPECT_EQ(u32At(file, fat + 8 + 28), 0xFFFFFFFEu);
    EXPECT_EQ(u32At(file, fat + 8 + 32), 0xFFFFFFFFu);
    const qsizetype dir = 1024;
    EXPECT_EQ(u16At(file, dir + 64), 22); // "Root Entry"
    EXPECT_EQ(uint8_t(file[dir + 66]), 5);
    EXPECT_EQ(u32At(file, dir + 76), 1u);       // child: the stream
    EXPECT_EQ(u16At(file, dir + 128 + 64), 18); // "Workbook"
    EXPECT_EQ(uint8_t(file[dir + 128 + 66]), 2);
    EXPECT_EQ(u32At(file, dir + 128 + 116), 2u); // first stream sector
    EXPECT_EQ(u32At(file, dir + 128 + 120), 4096u);
    EXPECT_EQ(file.mid(512 * 3, 100), stream);
}

TEST(XlsContainer, LargeStreamsTakeMoreFatSectors)
{
    const QByteArray stream(200 * 512, 's');
    const QByteArray file = buildCompoundFile(stream);
    EXPECT_EQ(u32At(file, 0x2C), 2u);
    EXPECT_EQ(u32At(file, 0x30), 2u);
    EXPECT_EQ(u32At(file, 0x54), 0xFFFFFFFFu);
    EXPECT_EQ(file.size(), 512 * (1 + 2 + 1 + 200));
    // The chain runs through the second FAT sector to its end.
    const qsizetype fat = 512;
    EXPECT_EQ(u32At(file, fat + 4 * 202), 0xFFFFFFFEu);
    EXPECT_EQ(u32At(file, fat + 4 * 201), 202u);

    QString error;
    EXPECT_TRUE(buildCompoundFile(QByteArray(8 * 1024 * 1024, 'x'), QStringLiteral("Workbook"), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(XlsNumbers, DateSerials)
{
    const struct {
        int y, m, d;
        double serial;
    } rows[] = {
        {1900, 1, 1, 1},      {1900, 2, 28, 59},    {1900, 3, 1, 61},      {1970, 1, 1, 25569},
        {2024, 1, 15, 45306}, {2024, 2, 29, 45351}, {2026, 12, 31, 46387}, {9999, 12, 31, 2958465},
    };
    for (const auto& r : rows) {
        const QDate date(r.y, r.m, r.d);
        EXPECT_EQ(dateSerial(date), r.serial) << date.toString(Qt::ISODate).toStdString();
        EXPECT_EQ(dateFromSerial(r.serial), date) << r.serial;
    }
    EXPECT_FALSE(dateFromSerial(0).isValid());
    EXPECT_FALSE(dateFromSerial(std::nan("")).isValid());
    EXPECT_FALSE(dateFromSerial(3e6).isValid());
    EXPECT_DOUBLE_EQ(timeSerial(QTime(9, 30)), 9.5 / 24);
    EXPECT_DOUBLE_EQ(timeSerial(QTime(0, 0)), 0);
    EXPECT_DOUBLE_EQ(timeSerial(QTime(23, 59, 59)), 86399.0 / 86400);
}

TEST(XlsNumbers, ColumnWidthsCountTheCellPadding)
{
    EXPECT_EQ(columnWidthUnits(16), 4256);
    EXPECT_EQ(columnWidthUnits(8), 2208);
    EXPECT_EQ(columnWidthUnits(8.5), 2336);
    EXPECT_EQ(columnWidthUnits(50), 12960);
    EXPECT_EQ(columnWidthUnits(0), 0);
    EXPECT_EQ(columnWidthUnits(1000), 65535);
}
