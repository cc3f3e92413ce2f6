// Our workbooks as an independent reader (python-xlrd with formatting) sees them: values,
// number formats, fonts, alignment, borders per side, fills, merges, widths, frozen panes.
#include "indicatorworkbook.h"
#include "tempfolder.h"
#include "xls/xlswriter.h"
#include "xlstestutil.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace corvane;
using corvane::test::dumpedCell;

namespace {

constexpr int kThin = 1;
constexpr int kHair = 7;
constexpr int kWhiteIcv = 9;
constexpr int kAutomaticFont = 0x7FFF;
constexpr int kCentre = 2;
constexpr int kLeft = 1;

QJsonObject fmt(const QJsonObject& cell) { return cell[QStringLiteral("format")].toObject(); }

// left, right, top, bottom
std::array<int, 4> borders(const QJsonObject& cell)
{
    const QJsonObject f = fmt(cell);
    return {f[QStringLiteral("left")].toInt(), f[QStringLiteral("right")].toInt(), f[QStringLiteral("top")].toInt(),
            f[QStringLiteral("bottom")].toInt()};
}

QJsonObject sheetOf(const QJsonObject& dump) { return dump[QStringLiteral("sheets")].toArray().first().toObject(); }

QJsonObject writeAndDump(const xls::Workbook& book, const test::TempFolder& folder)
{
    const QString path = folder.file(QStringLiteral("book.xls"));
    QString error;
    EXPECT_TRUE(xls::saveWorkbook(book, path, &error)) << error.toStdString();
    const QJsonObject dump = test::xlrdDump(path, &error);
    EXPECT_FALSE(dump.isEmpty()) << error.toStdString();
    return dump;
}

} // namespace

TEST(XlrdReadsOurWorkbook, EveryWriterFeature)
{
    test::TempFolder folder;
    const QJsonObject dump = writeAndDump(test::featureWorkbook(), folder);
    ASSERT_FALSE(dump.isEmpty());
    EXPECT_EQ(dump[QStringLiteral("datemode")].toInt(), 0);
    EXPECT_EQ(dump[QStringLiteral("names")].toInt(), 0);
    const QJsonObject sheet = sheetOf(dump);
    EXPECT_EQ(sheet[QStringLiteral("name")].toString(), QStringLiteral("表示予定"));
    EXPECT_EQ(sheet[QStringLiteral("nrows")].toInt(), 61);
    EXPECT_EQ(sheet[QStringLiteral("ncols")].toInt(), 6);

    // Merged headings with the default palette's fills, stored as ColorIndex + 7.
    const QJsonArray merged = sheet[QStringLiteral("merged")].toArray();
    EXPECT_EQ(merged, (QJsonArray{QJsonArray{0, 1, 0, 6}, QJsonArray{1, 2, 0, 3}, QJsonArray{1, 2, 3, 6}}));
    const QJsonObject a1 = dumpedCell(dump, 0, 0);
    EXPECT_EQ(a1[QStringLiteral("value")].toString(), QStringLiteral("corvane 表示予定"));
    EXPECT_EQ(fmt(a1)[QStringLiteral("fillPattern")].toInt(), 1);
    EXPECT_EQ(fmt(a1)[QStringLiteral("fillColour")].toInt(), 42);
    EXPECT_EQ(fmt(a1)[QStringLiteral("align")].toInt(), kCentre);
    EXPECT_EQ(borders(a1), (std::array{kThin, kThin, kThin, kThin}));
    const QJsonObject f1 = dumpedCell(dump, 0, 5); // inside the merge: blank, same format
    EXPECT_EQ(f1[QStringLiteral("type")].toInt(), 6);
    EXPECT_EQ(fmt(f1)[QStringLiteral("fillColour")].toInt(), 42);
    EXPECT_EQ(fmt(dumpedCell(dump, 1, 2))[QStringLiteral("fillColour")].toInt(), 43);
    EXPECT_EQ(dumpedCell(dump, 1, 3)[QStringLiteral("value")].toString(), QStringLiteral("指定日分"));
    EXPECT_EQ(fmt(dumpedCell(dump, 1, 5))[QStringLiteral("fillColour")].toInt(), 41);

    // Values with their number formats, alignment, fonts and borders.
    const QJsonObject b3 = dumpedCell(dump, 2, 1);
    EXPECT_EQ(b3[QStringLiteral("type")].toInt(), 3);
    EXPECT_EQ(b3[QStringLiteral("tuple")].toArray(), (QJsonArray{0, 0, 0, 9, 0, 0}));
    EXPECT_EQ(fmt(b3)[QStringLiteral("numberFormat")].toString(), QStringLiteral("h:mm"));
    EXPECT_EQ(borders(b3), (std::array{kHair, kHair, kThin, kHair}));
    const QJsonObject c3 = dumpedCell(dump, 2, 2);
    EXPECT_EQ(c3[QStringLiteral("value")].toString(), QStringLiteral("朝会 ①②"));
    EXPECT_EQ(fmt(c3)[QStringLiteral("align")].toInt(), kLeft);
    EXPECT_EQ(fmt(c3)[QStringLiteral("fillPattern")].toInt(), 0);
    const QJsonObject d3 = dumpedCell(dump, 2, 3);
    EXPECT_EQ(d3[QStringLiteral("tuple")].toArray(), (QJsonArray{2024, 1, 15, 0, 0, 0}));
    EXPECT_EQ(fmt(d3)[QStringLiteral("numberFormat")].toString(), QStringLiteral("[$-411]yyyy/m/d(aaa)"));
    EXPECT_EQ(fmt(d3)[QStringLiteral("fontColour")].toInt(), kWhiteIcv);
    EXPECT_EQ(fmt(d3)[QStringLiteral("fontName")].toString(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(dumpedCell(dump, 2, 4)[QStringLiteral("tuple")].toArray(), (QJsonArray{0, 0, 0, 23, 59, 0}));
    EXPECT_EQ(dumpedCell(dump, 2, 5)[QStringLiteral("value")].toString(), QString(300, QChar(u'長')));
    EXPECT_EQ(dumpedCell(dump, 3, 1)[QStringLiteral("value")].toDouble(), 12345.5);
    EXPECT_EQ(fmt(dumpedCell(dump, 3, 1))[QStringLiteral("align")].toInt(), 3);
    EXPECT_EQ(dumpedCell(dump, 3, 2)[QStringLiteral("value")].toDouble(), -0.25);
    EXPECT_EQ(fmt(dumpedCell(dump, 3, 2))[QStringLiteral("fontColour")].toInt(), kAutomaticFont);
    EXPECT_EQ(borders(dumpedCell(dump, 4, 0)), (std::array{kThin, kHair, kThin, kThin}));
    EXPECT_EQ(dumpedCell(dump, 60, 0)[QStringLiteral("value")].toString(), QStringLiteral("遠い行"));

    // Column widths and the formats empty cells of a column show.
    const QJsonObject columns = sheet[QStringLiteral("columns")].toObject();
    const int widths[] = {2336, 2336, 12960, 4256, 2336, 12960};
    for (int c = 0; c < 6; ++c)
        EXPECT_EQ(columns[QString::number(c)].toObject()[QStringLiteral("width")].toInt(), widths[c]) << c;
    const QJsonObject colE = columns[QStringLiteral("4")].toObject()[QStringLiteral("format")].toObject();
    EXPECT_EQ(colE[QStringLiteral("numberFormat")].toString(), QStringLiteral("h:mm"));
    EXPECT_EQ(colE[QStringLiteral("align")].toInt(), kCentre);
    const QJsonObject colD = columns[QStringLiteral("3")].toObject()[QStringLiteral("format")].toObject();
    EXPECT_EQ(colD[QStringLiteral("numberFormat")].toString(), QStringLiteral("[$-411]yyyy/m/d(aaa)"));

    EXPECT_TRUE(sheet[QStringLiteral("frozen")].toBool());
    EXPECT_EQ(sheet[QStringLiteral("horzSplit")].toInt(), 2);
    EXPECT_EQ(sheet[QStringLiteral("vertSplit")].toInt(), 0);
}

TEST(XlrdReadsOurWorkbook, ManyStringsAcrossContinueRecords)
{
    xls::Workbook book;
    book.sheet.setName(QStringLiteral("多い"));
    for (int r = 0; r < 3000; ++r)
        book.sheet.setText(r, 0, QStringLiteral("項目%1 %2").arg(r).arg(QString(r % 50, QChar(u'字'))));
    test::TempFolder folder;
    const QJsonObject dump = writeAndDump(book, folder);
    ASSERT_FALSE(dump.isEmpty());
    const QJsonArray cells = sheetOf(dump)[QStringLiteral("cells")].toArray();
    ASSERT_EQ(cells.size(), 3000);
    for (int r = 0; r < 3000; r += 37)
        EXPECT_EQ(cells[r].toObject()[QStringLiteral("value")].toString(),
                  QStringLiteral("項目%1 %2").arg(r).arg(QString(r % 50, QChar(u'字'))));
}

TEST(XlrdReadsOurWorkbook, IndicatorLayout)
{
    test::TempFolder folder;
    const QString path = folder.file(QStringLiteral("経済指標.xls"));
    const QDate d5(2024, 1, 5), d6(2024, 1, 6);
    QString error;
    ASSERT_TRUE(WriteIndicatorWorkbook(path,
                                       {{d6, QTime(8, 50), QStringLiteral("GDP")},
                                        {d5, QTime(21, 30), QStringLiteral("米雇用統計")},
                                        {d5, QTime(9, 0), QStringLiteral("日銀会合")},
                                        {d5, QTime(21, 30), QStringLiteral("米失業率")}},
                                       &error))
        << error.toStdString();
    const QJsonObject dump = test::xlrdDump(path, &error);
    ASSERT_FALSE(dump.isEmpty()) << error.toStdString();
    const QJsonObject sheet = sheetOf(dump);
    EXPECT_EQ(sheet[QStringLiteral("name")].toString(), QStringLiteral("経済指標"));
    EXPECT_EQ(dump[QStringLiteral("names")].toInt(), 0);
    EXPECT_EQ(sheet[QStringLiteral("nrows")].toInt(), 5);
    EXPECT_EQ(sheet[QStringLiteral("ncols")].toInt(), 3);

    // Headings: light green (ColorIndex 35), all centred (A and B by their columns).
    const char* headings[] = {"年月日", "時刻", "経済指標"};
    for (int c = 0; c < 3; ++c) {
        const QJsonObject h = dumpedCell(dump, 0, c);
        EXPECT_EQ(h[QStringLiteral("value")].toString(), QString::fromUtf8(headings[c]));
        EXPECT_EQ(fmt(h)[QStringLiteral("fillColour")].toInt(), 42);
        EXPECT_EQ(fmt(h)[QStringLiteral("fillPattern")].toInt(), 1);
        EXPECT_EQ(fmt(h)[QStringLiteral("align")].toInt(), kCentre);
    }

    // Sorted by date, then time; equal keys keep their order.
    const struct {
        QJsonArray date;
        QJsonArray time;
        const char* name;
        bool white;
    } expected[] = {
        {{2024, 1, 5, 0, 0, 0}, {0, 0, 0, 9, 0, 0}, "日銀会合", false},
        {{2024, 1, 5, 0, 0, 0}, {0, 0, 0, 21, 30, 0}, "米雇用統計", true},
        {{2024, 1, 5, 0, 0, 0}, {0, 0, 0, 21, 30, 0}, "米失業率", true},
        {{2024, 1, 6, 0, 0, 0}, {0, 0, 0, 8, 50, 0}, "GDP", false},
    };
    for (int i = 0; i < 4; ++i) {
        const int row = i + 1;
        const QJsonObject a = dumpedCell(dump, row, 0), b = dumpedCell(dump, row, 1), c = dumpedCell(dump, row, 2);
        EXPECT_EQ(a[QStringLiteral("tuple")].toArray(), expected[i].date) << row;
        EXPECT_EQ(b[QStringLiteral("tuple")].toArray(), expected[i].time) << row;
        EXPECT_EQ(c[QStringLiteral("value")].toString(), QString::fromUtf8(expected[i].name)) << row;
        EXPECT_EQ(fmt(a)[QStringLiteral("numberFormat")].toString(), QStringLiteral("[$-411]yyyy/m/d(aaa)"));
        EXPECT_EQ(fmt(b)[QStringLiteral("numberFormat")].toString(), QStringLiteral("h:mm"));
        EXPECT_EQ(fmt(a)[QStringLiteral("fontColour")].toInt(), expected[i].white ? kWhiteIcv : kAutomaticFont) << row;
        EXPECT_EQ(fmt(b)[QStringLiteral("fontColour")].toInt(), kAutomaticFont);
        EXPECT_EQ(fmt(a)[QStringLiteral("align")].toInt(), kCentre);
        EXPECT_EQ(fmt(b)[QStringLiteral("align")].toInt(), kCentre);
        EXPECT_EQ(fmt(c)[QStringLiteral("align")].toInt(), kLeft);
        EXPECT_EQ(fmt(a)[QStringLiteral("fillPattern")].toInt(), 0);
    }

    // Borders: thin outline, hairline inner verticals, thin tops where the date shows and
    // hairline tops where it is hidden; each line stored on both cells it separates.
    const int tops[] = {kThin, kThin, kHair, kHair, kThin};
    for (int row = 0; row < 5; ++row) {
        const int bottom = row == 4 ? kThin : tops[row + 1];
        EXPECT_EQ(borders(dumpedCell(dump, row, 0)), (std::array{kThin, kHair, tops[row], bottom})) << row;
        EXPECT_EQ(borders(dumpedCell(dump, row, 1)), (std::array{kHair, kHair, tops[row], bottom})) << row;
        EXPECT_EQ(borders(dumpedCell(dump, row, 2)), (std::array{kHair, kThin, tops[row], bottom})) << row;
    }

    const QJsonObject columns = sheet[QStringLiteral("columns")].toObject();
    EXPECT_EQ(columns[QStringLiteral("0")].toObject()[QStringLiteral("width")].toInt(), 4256);
    EXPECT_EQ(columns[QStringLiteral("1")].toObject()[QStringLiteral("width")].toInt(), 2208);
    EXPECT_EQ(columns[QStringLiteral("2")].toObject()[QStringLiteral("width")].toInt(), 12960);
    EXPECT_EQ(columns[QStringLiteral("0")]
                  .toObject()[QStringLiteral("format")]
                  .toObject()[QStringLiteral("numberFormat")]
                  .toString(),
              QStringLiteral("[$-411]yyyy/m/d(aaa)"));
    EXPECT_EQ(
        columns[QStringLiteral("2")].toObject()[QStringLiteral("format")].toObject()[QStringLiteral("align")].toInt(),
        kLeft);
    EXPECT_TRUE(sheet[QStringLiteral("frozen")].toBool());
    EXPECT_EQ(sheet[QStringLiteral("horzSplit")].toInt(), 1);
}

TEST(XlrdReadsOurWorkbook, IndicatorLayoutWithoutReleases)
{
    test::TempFolder folder;
    const QString path = folder.file(QStringLiteral("経済指標.xls"));
    ASSERT_TRUE(WriteIndicatorWorkbook(path, {}));
    QString error;
    const QJsonObject dump = test::xlrdDump(path, &error);
    ASSERT_FALSE(dump.isEmpty()) << error.toStdString();
    EXPECT_EQ(sheetOf(dump)[QStringLiteral("nrows")].toInt(), 1);
    EXPECT_EQ(borders(dumpedCell(dump, 0, 1)), (std::array{kHair, kHair, kThin, kThin}));
}
