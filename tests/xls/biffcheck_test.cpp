// The stream check in front of FreeXL: our streams and a re-saved one pass; records and
// strings that run past their bounds are refused.
#include "tempfolder.h"
#include "xls/biffcheck.h"
#include "xls/compoundfilecheck.h"
#include "xls/cellrecords.h"
#include "xls/globalsrecords.h"
#include "xls/sstrecords.h"
#include "xls/xlsreader.h"
#include "xls/xlswriter.h"
#include "xlstestutil.h"

#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::xls;

namespace {

QByteArray streamOf(const QByteArray& file)
{
    QByteArray stream;
    EXPECT_TRUE(checkCompoundFile(file, nullptr, &stream));
    return stream;
}

// BOF, then the given records, then EOF.
QByteArray globals(const std::function<void(ByteWriter&)>& body)
{
    ByteWriter out;
    writeBof(out, BofType::Globals);
    body(out);
    writeEof(out);
    return out.take();
}

void putU16(QByteArray& b, qsizetype at, uint16_t v)
{
    b[at] = char(uint8_t(v));
    b[at + 1] = char(uint8_t(v >> 8));
}

} // namespace

TEST(BiffCheck, AcceptsOurStreamsAndAResavedOne)
{
    const QByteArray ours = streamOf(buildWorkbook(test::featureWorkbook()));
    ASSERT_FALSE(ours.isEmpty());
    QString error;
    EXPECT_TRUE(checkBiffStream(ours, &error)) << error.toStdString();
    const QByteArray resaved =
        streamOf(test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/xls/indicator-resaved.xls")));
    EXPECT_TRUE(checkBiffStream(resaved, &error)) << error.toStdString();

    // Strings that run on across CONTINUE records, in both widths.
    StringTable table;
    table.add(QString(9000, QChar(u'あ')));
    table.add(QStringLiteral("short"));
    for (int i = 0; i < 2000; ++i)
        table.add(QStringLiteral("文字列%1").arg(i));
    EXPECT_TRUE(checkBiffStream(globals([&](ByteWriter& o) { writeSst(o, table); }), &error)) << error.toStdString();
}

TEST(BiffCheck, RefusesRecordsAndStringsPastTheirBounds)
{
    StringTable two;
    two.add(QStringLiteral("一"));
    two.add(QStringLiteral("二"));
    const QByteArray sst = globals([&](ByteWriter& o) { writeSst(o, two); });
    const qsizetype sstData = 16 + 4 + 4; // BOF record, SST header
    const qsizetype firstString = sstData + 8;

    struct Case {
        const char* name;
        QByteArray stream;
    };
    QByteArray tooManyStrings = sst;
    putU16(tooManyStrings, sstData + 4, 3);
    QByteArray longString = sst;
    putU16(longString, firstString, 40);
    QByteArray pastTheEnd = sst;
    pastTheEnd.truncate(pastTheEnd.size() - 6);
    QByteArray biff5 = sst;
    putU16(biff5, 4, 0x0500);
    QByteArray sheetName = globals([](ByteWriter& o) { writeBoundSheet(o, QStringLiteral("表示予定")); });
    sheetName[20 + 4 + 6] = char(30); // after BOF and the record header
    QByteArray format = globals([](ByteWriter& o) { writeRecord(o, 0x041E, QByteArray::fromHex("A4000900016800")); });
    QByteArray label =
        globals([](ByteWriter& o) { writeRecord(o, 0x0204, QByteArray::fromHex("000000000F000500016100")); });
    QByteArray splitCharacter = globals([](ByteWriter& o) {
        // "あい" with the first record ending inside the second character.
        writeRecord(o, 0x00FC, QByteArray::fromHex("01000000 01000000 0200 01 4230 42").replace(' ', ""));
        writeRecord(o, 0x003C, QByteArray::fromHex("0130"));
    });
    const auto sheet = [](const std::function<void(ByteWriter&)>& body) {
        ByteWriter out;
        writeBof(out, BofType::Worksheet);
        body(out);
        writeEof(out);
        return out.take();
    };
    const QByteArray twoDimensions = sheet([](ByteWriter& o) {
        writeDimensions(o, 0, 10, 0, 3);
        writeDimensions(o, 0, 10, 0, 3);
    });
    const QByteArray hugeDimensions = sheet([](ByteWriter& o) { writeDimensions(o, 0, 70000, 0, 3); });
    const QByteArray reversedDimensions = sheet([](ByteWriter& o) { writeDimensions(o, 0, 10, 5, 3); });
    const Case cases[] = {
        {"two DIMENSIONS in one sheet", globals([](ByteWriter&) {}) + twoDimensions},
        {"DIMENSIONS beyond the grid", globals([](ByteWriter&) {}) + hugeDimensions},
        {"DIMENSIONS reversed", globals([](ByteWriter&) {}) + reversedDimensions},
        {"empty", QByteArray()},
        {"not BIFF8", biff5},
        {"record past the end of the stream", pastTheEnd},
        {"more strings counted than stored", tooManyStrings},
        {"string longer than its records", longString},
        {"sheet name past its record", sheetName},
        {"format string past its record", format},
        {"label past its record", label},
        {"character split between records", splitCharacter},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(checkBiffStream(c.stream, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
}

TEST(BiffCheck, TheReaderRefusesStreamsThatCrashedFreeXl)
{
    // Found by fuzzing: a string table whose lengths lead FreeXL past its record buffer, and
    // a sheet with a second DIMENSIONS record (FreeXL frees its grid twice).
    for (const char* file : {"damaged-string-table.xls", "damaged-second-dimensions.xls"}) {
        XlsReader reader;
        QString error;
        EXPECT_FALSE(reader.open(QStringLiteral(CORVANE_TEST_DATA "/xls/") + QLatin1String(file), &error)) << file;
        EXPECT_FALSE(error.isEmpty()) << file;
    }
}
