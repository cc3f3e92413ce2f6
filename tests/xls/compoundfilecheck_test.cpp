// The container check in front of FreeXL: our own files pass; damaged directories, FAT
// chains and headers are refused before FreeXL could overrun a buffer on them.
#include "tempfolder.h"
#include "xls/compoundfilecheck.h"
#include "xls/compoundfile.h"
#include "xls/xlsreader.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace corvane;
using xls::checkCompoundFile;

namespace {

void putU32(QByteArray& b, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char(uint8_t(v >> (8 * i)));
}

void putU16(QByteArray& b, qsizetype at, uint16_t v)
{
    b[at] = char(uint8_t(v));
    b[at + 1] = char(uint8_t(v >> 8));
}

// Header, FAT in sector 0, directory in sector 1, stream from sector 2.
QByteArray goodFile() { return xls::buildCompoundFile(QByteArray(5000, 's')); }

constexpr qsizetype kFat = 512;
constexpr qsizetype kDirectory = 1024;

} // namespace

TEST(CompoundFileCheck, AcceptsWellFormedFiles)
{
    QString error;
    EXPECT_TRUE(checkCompoundFile(goodFile(), &error)) << error.toStdString();
    EXPECT_TRUE(checkCompoundFile(xls::buildCompoundFile(QByteArray(300 * 512, 's'))));
    // A workbook saved by LibreOffice Calc.
    EXPECT_TRUE(checkCompoundFile(test::readFileBytes(QStringLiteral(CORVANE_TEST_DATA "/xls/indicator-resaved.xls"))));
}

// Around the size where one FAT sector no longer holds the chains: with 127 stream sectors the
// FAT must grow to a second sector because of the directory's. Each file passes our check and
// an independent reader (xlrd's container reader) gives the stream back whole.
TEST(CompoundFileCheck, TheFatGrowsAtItsBoundary)
{
    test::TempFolder folder;
    const struct {
        int streamSectors;
        uint32_t fatSectors;
    } rows[] = {{126, 1}, {127, 2}, {128, 2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.streamSectors);
        QByteArray stream(row.streamSectors * 512, '\0');
        for (qsizetype i = 0; i < stream.size(); ++i)
            stream[i] = char(i * 7 / 512 + i);
        const QByteArray file = xls::buildCompoundFile(stream);
        QString error;
        EXPECT_TRUE(checkCompoundFile(file, &error)) << error.toStdString();
        EXPECT_EQ(qFromLittleEndian<uint32_t>(file.constData() + 0x2C), row.fatSectors);
        const QString path = folder.file(QStringLiteral("cf.xls"));
        folder.writeBytes(QStringLiteral("cf.xls"), file);
        QProcess python;
        python.start(QStringLiteral(CORVANE_PYTHON),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, xlrd.compdoc as c\n"
                                     "d = c.CompDoc(open(sys.argv[1], 'rb').read(), logfile=sys.stderr)\n"
                                     "sys.stdout.buffer.write(d.get_named_stream('Workbook'))"),
                      path});
        ASSERT_TRUE(python.waitForFinished(30000));
        EXPECT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
        EXPECT_TRUE(python.readAllStandardOutput() == stream);
    }
}

TEST(CompoundFileCheck, RefusesDamagedContainers)
{
    struct Case {
        const char* name;
        std::function<void(QByteArray&)> damage;
    };
    const Case cases[] = {
        {"no signature", [](QByteArray& b) { b[0] = 'X'; }},
        {"odd sector size", [](QByteArray& b) { putU16(b, 0x1E, 10); }},
        {"truncated", [](QByteArray& b) { b.truncate(700); }},
        {"entry name longer than its field", [](QByteArray& b) { putU16(b, kDirectory + 128 + 64, 0xFFFF); }},
        {"entry name of odd length", [](QByteArray& b) { putU16(b, kDirectory + 64, 21); }},
        {"entry name without its NUL", [](QByteArray& b) { putU16(b, kDirectory + 64, 20); }},
        {"directory outside the file", [](QByteArray& b) { putU32(b, 0x30, 4000); }},
        {"directory chain loops", [](QByteArray& b) { putU32(b, kFat + 4, 1); }},
        {"directory chain runs into a free sector", [](QByteArray& b) { putU32(b, kFat + 4, 0xFFFFFFFF); }},
        {"stream longer than its chain", [](QByteArray& b) { putU32(b, kDirectory + 128 + 120, 100000); }},
        {"stream chain leaves the file", [](QByteArray& b) { putU32(b, kFat + 4 * 3, 5000); }},
        {"stream chain loops", [](QByteArray& b) { putU32(b, kFat + 4 * 4, 2); }},
        {"small stream outside the mini stream", [](QByteArray& b) { putU32(b, kDirectory + 128 + 120, 100); }},
        {"FAT sector outside the file", [](QByteArray& b) { putU32(b, 0x4C, 70000); }},
        {"more FAT sectors than the file holds", [](QByteArray& b) { putU32(b, 0x2C, 1000); }},
        {"DIFAT chain loops",
         [](QByteArray& b) {
             b.append(QByteArray(300 * 512, '\0'));
             putU32(b, 0x2C, 200);
             putU32(b, 0x44, 2);
             putU32(b, 512 * 3 + 508, 2);
         }},
    };
    for (const Case& c : cases) {
        QByteArray file = goodFile();
        c.damage(file);
        QString error;
        EXPECT_FALSE(checkCompoundFile(file, &error)) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
}

TEST(CompoundFileCheck, TheReaderRefusesFilesThatCrashedFreeXl)
{
    // Found by fuzzing: directory entries that claim 65535-byte names (a stack overrun in
    // FreeXL), and a stream whose chain runs past the end of the file (a crash).
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"damaged-directory-name.xls", "ディレクトリ"},
        {"damaged-stream-chain.xls", "ストリーム"},
    };
    for (const auto& c : cases) {
        xls::XlsReader reader;
        QString error;
        EXPECT_FALSE(reader.open(QStringLiteral(CORVANE_TEST_DATA "/xls/") + QLatin1String(c.file), &error)) << c.file;
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    }
}
