// The indicator workbook as the import writes it and the runner reads it back.
#include "indicatorworkbook.h"
#include "tempfolder.h"
#include "xls/xlswriter.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

const QString kSheet = QStringLiteral("経済指標");

QString bookPath(const test::TempFolder& folder) { return folder.file(QStringLiteral("経済指標.xls")); }

// A hand-made sheet in place of the layout, for cells the layout never writes.
void writeSheet(const QString& path, const std::function<void(xls::Sheet&)>& fill, const QString& name = kSheet)
{
    xls::Workbook book;
    book.sheet.setName(name);
    book.sheet.setText(0, 0, QStringLiteral("年月日"));
    fill(book.sheet);
    QString error;
    ASSERT_TRUE(xls::saveWorkbook(book, path, &error)) << error.toStdString();
}

xls::CellFormat dateFormat()
{
    xls::CellFormat f;
    f.numberFormat = xls::kDateWithWeekdayFormat;
    return f;
}

} // namespace

TEST(IndicatorWorkbook, RowsComeBackSortedByDateThenTime)
{
    test::TempFolder folder;
    const QList<IndicatorRow> rows = {
        {QDate(2026, 12, 8), QTime(8, 50), QStringLiteral("GDP改定値")},
        {QDate(2026, 12, 7), QTime(22, 30), QStringLiteral("米雇用統計")},
        {QDate(2026, 12, 7), QTime(0, 0), QStringLiteral("深夜0時")},
        {QDate(2026, 12, 7), QTime(22, 30), QStringLiteral("米失業率")},
        {QDate(2027, 1, 1), QTime(23, 59), QString()},
    };
    QString error;
    ASSERT_TRUE(WriteIndicatorWorkbook(bookPath(folder), rows, &error)) << error.toStdString();
    const QList<IndicatorRow> back = ReadIndicatorWorkbook(bookPath(folder), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(back, (QList<IndicatorRow>{rows[2], rows[1], rows[3], rows[0], rows[4]}));
}

TEST(IndicatorWorkbook, ThreeHundredRowsRoundTrip)
{
    test::TempFolder folder;
    QList<IndicatorRow> rows;
    for (int i = 0; i < 300; ++i)
        rows.append({QDate(2026, 12, 1).addDays(i / 10), QTime(i % 24, (i * 7) % 60), QStringLiteral("指標%1").arg(i)});
    ASSERT_TRUE(WriteIndicatorWorkbook(bookPath(folder), rows));
    QString error;
    const QList<IndicatorRow> back = ReadIndicatorWorkbook(bookPath(folder), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(back.size(), 300);
    QList<IndicatorRow> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const IndicatorRow& a, const IndicatorRow& b) {
        return a.date != b.date ? a.date < b.date : a.time < b.time;
    });
    EXPECT_EQ(back, sorted);
}

TEST(IndicatorWorkbook, InvalidDateIsRefusedAndTheOldFileStays)
{
    test::TempFolder folder;
    ASSERT_TRUE(WriteIndicatorWorkbook(bookPath(folder), {{QDate(2026, 12, 7), QTime(9, 0), QStringLiteral("旧")}}));
    const QByteArray before = test::readFileBytes(bookPath(folder));
    QString error;
    EXPECT_FALSE(
        WriteIndicatorWorkbook(bookPath(folder), {{QDate(), QTime(9, 0), QStringLiteral("壊れた行")}}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("壊れた行")));
    EXPECT_EQ(test::readFileBytes(bookPath(folder)), before);
}

TEST(IndicatorWorkbook, ReadStopsAtTheFirstEmptyDate)
{
    test::TempFolder folder;
    writeSheet(bookPath(folder), [](xls::Sheet& s) {
        s.setDate(1, 0, QDate(2026, 12, 7), dateFormat());
        s.setText(1, 2, QStringLiteral("一"));
        s.setDate(3, 0, QDate(2026, 12, 7), dateFormat()); // behind the gap: not read
        s.setText(3, 2, QStringLiteral("三"));
    });
    QString error;
    const QList<IndicatorRow> rows = ReadIndicatorWorkbook(bookPath(folder), &error);
    EXPECT_TRUE(error.isEmpty());
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].name, QStringLiteral("一"));
    EXPECT_FALSE(rows[0].time.isValid()); // column B empty: no time
}

TEST(IndicatorWorkbook, TimesInOtherFormsAreTakenToTheMinute)
{
    // A sheet re-saved or edited by hand may hold the time as a plain number, as text, or
    // as a date with a time.
    test::TempFolder folder;
    writeSheet(bookPath(folder), [](xls::Sheet& s) {
        for (int r = 1; r <= 4; ++r)
            s.setDate(r, 0, QDate(2026, 12, 7), dateFormat());
        s.setNumber(1, 1, 21.5 / 24);
        s.setText(2, 1, QStringLiteral(" 8:05 "));
        xls::CellFormat dateTime;
        dateTime.numberFormat = QStringLiteral("yyyy/m/d h:mm");
        s.setNumber(3, 1, 46363 + (13 * 60 + 45.9) / 1440, dateTime);
        s.setText(4, 1, QStringLiteral("夜"));
        s.setNumber(4, 2, 42);
    });
    QString error;
    const QList<IndicatorRow> rows = ReadIndicatorWorkbook(bookPath(folder), &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0].time, QTime(21, 30));
    EXPECT_EQ(rows[1].time, QTime(8, 5));
    EXPECT_EQ(rows[2].time, QTime(13, 45));
    EXPECT_FALSE(rows[3].time.isValid());
    EXPECT_EQ(rows[3].name, QStringLiteral("42"));
}

TEST(IndicatorWorkbook, FaultsEndTheReadWithAReason)
{
    test::TempFolder folder;
    QString error;

    // A cell of column A that is not a date: the rows before it are kept.
    writeSheet(bookPath(folder), [](xls::Sheet& s) {
        s.setDate(1, 0, QDate(2026, 12, 7), dateFormat());
        s.setText(2, 0, QStringLiteral("12/7"));
        s.setDate(3, 0, QDate(2026, 12, 8), dateFormat());
    });
    QList<IndicatorRow> rows = ReadIndicatorWorkbook(bookPath(folder), &error);
    EXPECT_EQ(rows.size(), 1);
    EXPECT_TRUE(error.contains(QStringLiteral("A3"))) << error.toStdString();

    // A number in column A is not a date either.
    writeSheet(bookPath(folder), [](xls::Sheet& s) { s.setNumber(1, 0, 46363); });
    error.clear();
    EXPECT_TRUE(ReadIndicatorWorkbook(bookPath(folder), &error).isEmpty());
    EXPECT_TRUE(error.contains(QStringLiteral("A2")));

    // No sheet of that name.
    writeSheet(
        bookPath(folder), [](xls::Sheet& s) { s.setDate(1, 0, QDate(2026, 12, 7), dateFormat()); },
        QStringLiteral("Sheet1"));
    error.clear();
    EXPECT_TRUE(ReadIndicatorWorkbook(bookPath(folder), &error).isEmpty());
    EXPECT_TRUE(error.contains(kSheet));

    // Not a workbook at all, and no file.
    folder.writeBytes(QStringLiteral("経済指標.xls"), QByteArray(5000, 'x'));
    error.clear();
    EXPECT_TRUE(ReadIndicatorWorkbook(bookPath(folder), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
    error.clear();
    EXPECT_TRUE(ReadIndicatorWorkbook(folder.file(QStringLiteral("none.xls")), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(IndicatorWorkbook, ReadsAWorkbookResavedByASpreadsheetApplication)
{
    // Our layout saved again by LibreOffice Calc 7.4 as an Excel 97 file: other records
    // (RK numbers, its own formats and styles) carry the same values.
    test::TempFolder folder;
    const QString path =
        folder.copyFixture(QStringLiteral("xls/indicator-resaved.xls"), QStringLiteral("経済指標.xls"));
    QString error;
    const QList<IndicatorRow> rows = ReadIndicatorWorkbook(path, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0], (IndicatorRow{QDate(2026, 12, 7), QTime(8, 50), QStringLiteral("国内総生産（GDP）改定値")}));
    EXPECT_EQ(rows[2], (IndicatorRow{QDate(2026, 12, 7), QTime(22, 30), QStringLiteral("米消費者信用残高")}));
    EXPECT_EQ(rows[5], (IndicatorRow{QDate(2026, 12, 9), QTime(0, 0), QStringLiteral("米API原油在庫")}));
    EXPECT_EQ(rows[8], (IndicatorRow{QDate(2026, 12, 11), QTime(4, 0), QStringLiteral("FOMC政策金利発表")}));
}
