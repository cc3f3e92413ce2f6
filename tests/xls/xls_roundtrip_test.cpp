// Written by our writer, read back through FreeXL: values, dates, times, Japanese text;
// damaged files end the read with an error instead of garbage.
#include "tempfolder.h"
#include "xls/xlsreader.h"
#include "xls/xlswriter.h"
#include "xlstestutil.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace corvane;
using xls::ReadCell;

namespace {

QString writeBook(const test::TempFolder& folder, const xls::Workbook& book,
                  const QString& name = QStringLiteral("b.xls"))
{
    const QString path = folder.file(name);
    QString error;
    EXPECT_TRUE(xls::saveWorkbook(book, path, &error)) << error.toStdString();
    return path;
}

} // namespace

TEST(XlsRoundTrip, ValuesOfEveryKind)
{
    test::TempFolder folder;
    const QString path = writeBook(folder, test::featureWorkbook(), QStringLiteral("予定表.xls"));
    xls::XlsReader reader;
    QString error;
    ASSERT_TRUE(reader.open(path, &error)) << error.toStdString();
    EXPECT_EQ(reader.sheetNames(), QStringList{QStringLiteral("表示予定")});
    ASSERT_TRUE(reader.selectSheet(QStringLiteral("表示予定"), &error)) << error.toStdString();
    EXPECT_EQ(reader.rowCount(), 61);
    EXPECT_EQ(reader.columnCount(), 6);

    const ReadCell heading = reader.cell(0, 0);
    EXPECT_EQ(heading.type, ReadCell::Type::Text);
    EXPECT_EQ(heading.text, QStringLiteral("corvane 表示予定"));
    EXPECT_TRUE(reader.cell(0, 1).isEmpty()); // inside the merge
    const ReadCell time = reader.cell(2, 1);
    EXPECT_EQ(time.type, ReadCell::Type::Time);
    EXPECT_EQ(time.time, QTime(9, 0));
    EXPECT_EQ(reader.cell(2, 2).text, QStringLiteral("朝会 ①②"));
    const ReadCell date = reader.cell(2, 3);
    EXPECT_EQ(date.type, ReadCell::Type::Date);
    EXPECT_EQ(date.date, QDate(2024, 1, 15));
    EXPECT_EQ(reader.cell(2, 5).text, QString(300, QChar(u'長')));
    const ReadCell number = reader.cell(3, 1);
    EXPECT_EQ(number.type, ReadCell::Type::Number);
    EXPECT_EQ(number.number, 12345.5);
    EXPECT_EQ(reader.cell(3, 2).number, -0.25);
    EXPECT_TRUE(reader.cell(4, 0).isEmpty()); // a formatted blank
    EXPECT_EQ(reader.cell(60, 0).text, QStringLiteral("遠い行"));
    EXPECT_TRUE(reader.cell(61, 0).isEmpty());
    EXPECT_TRUE(reader.cell(-1, 0).isEmpty());
    EXPECT_TRUE(reader.cell(0, 300).isEmpty());

    EXPECT_FALSE(reader.selectSheet(QStringLiteral("経済指標"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("経済指標")));
}

// Dates up to 2089: FreeXL 1.0.6 counts 2100 as a leap year and reads later dates a day
// early; the runner's dates are never that far out.
TEST(XlsRoundTrip, EveryMinuteOfTheDayAndDatesAcrossTheYears)
{
    xls::Workbook book;
    book.sheet.setName(QStringLiteral("t"));
    xls::CellFormat time;
    time.numberFormat = xls::kHourMinuteFormat;
    xls::CellFormat date;
    date.numberFormat = xls::kDateWithWeekdayFormat;
    const QDate first(1900, 3, 1);
    for (int m = 0; m < 24 * 60; ++m) {
        book.sheet.setTime(m, 0, QTime(m / 60, m % 60), time);
        book.sheet.setDate(m, 1, first.addDays(qint64(m) * 48), date);
    }
    test::TempFolder folder;
    const QString path = writeBook(folder, book);
    xls::XlsReader reader;
    ASSERT_TRUE(reader.open(path));
    ASSERT_TRUE(reader.selectSheet(QStringLiteral("t")));
    for (int m = 0; m < 24 * 60; ++m) {
        const ReadCell t = reader.cell(m, 0);
        ASSERT_EQ(t.type, ReadCell::Type::Time) << m;
        EXPECT_EQ(t.time, QTime(m / 60, m % 60)) << m;
        const ReadCell d = reader.cell(m, 1);
        ASSERT_EQ(d.type, ReadCell::Type::Date) << m;
        EXPECT_EQ(d.date, first.addDays(qint64(m) * 48)) << m;
    }
}

TEST(XlsRoundTrip, SaveReplacesTheFileAndRefusesBadWorkbooks)
{
    test::TempFolder folder;
    xls::Workbook book;
    book.sheet.setName(QStringLiteral("一"));
    book.sheet.setNumber(0, 0, 1);
    const QString path = writeBook(folder, book);
    const QByteArray before = test::readFileBytes(path);

    const QString badNames[] = {QString(), QStringLiteral("a/b"), QStringLiteral("[x]"), QString(32, QChar(u'x'))};
    for (const QString& name : badNames) {
        xls::Workbook bad = book;
        bad.sheet.setName(name);
        QString error;
        EXPECT_FALSE(xls::saveWorkbook(bad, path, &error)) << name.toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    xls::Workbook outside = book;
    outside.sheet.setNumber(65536, 0, 1);
    EXPECT_FALSE(xls::saveWorkbook(outside, path));
    xls::Workbook badMerge = book;
    badMerge.sheet.merge({3, 2, 0, 0});
    EXPECT_FALSE(xls::saveWorkbook(badMerge, path));
    EXPECT_EQ(test::readFileBytes(path), before);

    // A folder that cannot be written: reported, nothing left behind.
    QString error;
    EXPECT_FALSE(xls::saveWorkbook(book, folder.file(QStringLiteral("missing/b.xls")), &error));
    EXPECT_FALSE(error.isEmpty());

    book.sheet.setNumber(0, 0, 2);
    ASSERT_TRUE(xls::saveWorkbook(book, path));
    xls::XlsReader reader;
    ASSERT_TRUE(reader.open(path));
    ASSERT_TRUE(reader.selectSheet(QStringLiteral("一")));
    EXPECT_EQ(reader.cell(0, 0).number, 2);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("b.xls")});
}

TEST(XlsRoundTrip, DamagedFilesEndTheReadWithAnError)
{
    test::TempFolder folder;
    xls::Workbook book;
    book.sheet.setName(QStringLiteral("s"));
    for (int r = 0; r < 200; ++r)
        book.sheet.setText(r, 0, QStringLiteral("行%1").arg(r));
    const QByteArray good = xls::buildWorkbook(book);
    ASSERT_FALSE(good.isEmpty());

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    QByteArray badFat = good;
    for (int i = 0; i < 16; ++i)
        badFat[512 + 8 + i] = char(0x7F); // the stream's chain points far outside the file
    const Case cases[] = {
        {"empty", QByteArray()},         {"text", QByteArray("年月日,時刻,経済指標\r\n")},
        {"header only", good.left(512)}, {"truncated stream", good.left(512 * 4)},
        {"broken chain", badFat},        {"zeros", QByteArray(8192, '\0')},
    };
    for (const Case& c : cases) {
        folder.writeBytes(QStringLiteral("bad.xls"), c.bytes);
        xls::XlsReader reader;
        QString error;
        const bool opened = reader.open(folder.file(QStringLiteral("bad.xls")), &error)
                            && reader.selectSheet(QStringLiteral("s"), &error);
        EXPECT_FALSE(opened) << c.name;
        EXPECT_FALSE(error.isEmpty()) << c.name;
    }
    xls::XlsReader reader;
    QString error;
    EXPECT_FALSE(reader.open(folder.file(QStringLiteral("none.xls")), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("ありません")));
}
