// Writes sample workbooks for looking at them in a spreadsheet application: the indicator
// layout with a week of releases, and a sheet that uses every feature of the writer in the
// shape of the schedule workbook. Usage: write_samples FOLDER
#include "indicatorworkbook.h"
#include "xls/xlswriter.h"

#include <QDir>
#include <cstdio>

using namespace corvane;

namespace {

xls::Workbook scheduleShapedSheet()
{
    using namespace xls;
    Workbook book;
    Sheet& s = book.sheet;
    s.setName(QStringLiteral("表示予定"));
    CellFormat heading;
    heading.align = HAlign::Centre;
    heading.borders = {Line::Thin, Line::Thin, Line::Thin, Line::Thin};
    heading.fillColour = 35;
    s.setText(0, 0, QStringLiteral("corvane 表示予定"), heading);
    s.merge({0, 0, 0, 5});
    heading.fillColour = 36;
    s.setText(1, 0, QStringLiteral("定例分"), heading);
    s.merge({1, 1, 0, 2});
    heading.fillColour = 34;
    s.setText(1, 3, QStringLiteral("指定日分"), heading);
    s.merge({1, 1, 3, 5});
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 2; ++r)
            s.formatAt(r, c).borders = heading.borders;
    CellFormat centred;
    centred.align = HAlign::Centre;
    CellFormat left;
    left.align = HAlign::Left;
    CellFormat time = centred;
    time.numberFormat = kHourMinuteFormat;
    CellFormat date = centred;
    date.numberFormat = kDateWithWeekdayFormat;
    const double widths[] = {8.5, 8.5, 50, 16, 8.5, 50};
    const CellFormat formats[] = {centred, time, left, date, time, left};
    for (int c = 0; c < 6; ++c)
        s.setColumn(c, widths[c], formats[c]);
    const struct {
        const char* label;
        QTime at;
        const char* text;
    } rows[] = {{"月曜日", QTime(8, 30), "朝礼"}, {nullptr, QTime(9, 0), "定例会議"}, {nullptr, QTime(17, 30), "日報"},
                {"火曜日", QTime(8, 30), "朝礼"}};
    for (int i = 0; i < 4; ++i) {
        const int r = 2 + i;
        const bool first = rows[i].label != nullptr;
        const bool last = i == 2 || i == 3;
        for (int c = 0; c < 3; ++c) {
            CellFormat f = formats[c];
            f.borders.left = c == 0 ? Line::Thin : Line::Hair;
            f.borders.right = c == 2 ? Line::Thin : Line::Hair;
            f.borders.top = first ? Line::Thin : (c == 0 ? Line::None : Line::Hair);
            f.borders.bottom = last ? Line::Thin : (c == 0 ? Line::None : Line::Hair);
            if (c == 0)
                first ? s.setText(r, 0, QString::fromUtf8(rows[i].label), f) : s.setBlank(r, 0, f);
            else if (c == 1)
                s.setTime(r, 1, rows[i].at, f);
            else
                s.setText(r, 2, QString::fromUtf8(rows[i].text), f);
        }
    }
    for (int i = 0; i < 4; ++i) {
        const int r = 2 + i;
        for (int c = 3; c < 6; ++c) {
            CellFormat f = formats[c];
            f.borders.left = c == 3 ? Line::Thin : Line::None;
            f.borders.right = c == 5 ? Line::Thin : Line::None;
            f.borders.top = i == 0 ? Line::Thin : Line::Hair;
            f.borders.bottom = i == 3 ? Line::Thin : Line::Hair;
            if (i == 0 && c == 3)
                s.setDate(r, c, QDate(2026, 12, 24), f);
            else if (i == 0 && c == 4)
                s.setTime(r, c, QTime(18, 0), f);
            else if (i == 0 && c == 5)
                s.setText(r, c, QStringLiteral("忘年会"), f);
            else
                s.setBlank(r, c, f);
        }
    }
    s.freezeRows(2);
    return book;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: write_samples FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    const QList<IndicatorRow> releases = {
        {QDate(2026, 12, 7), QTime(8, 50), QStringLiteral("国内総生産（GDP）改定値")},
        {QDate(2026, 12, 7), QTime(14, 0), QStringLiteral("景気ウォッチャー調査")},
        {QDate(2026, 12, 7), QTime(22, 30), QStringLiteral("米消費者信用残高")},
        {QDate(2026, 12, 8), QTime(8, 30), QStringLiteral("家計調査")},
        {QDate(2026, 12, 8), QTime(19, 0), QStringLiteral("独ZEW景況感指数")},
        {QDate(2026, 12, 9), QTime(0, 0), QStringLiteral("米API原油在庫")},
        {QDate(2026, 12, 9), QTime(8, 50), QStringLiteral("国内企業物価指数")},
        {QDate(2026, 12, 10), QTime(22, 30), QStringLiteral("米消費者物価指数（CPI）")},
        {QDate(2026, 12, 11), QTime(4, 0), QStringLiteral("FOMC政策金利発表")},
    };
    QString error;
    if (!WriteIndicatorWorkbook(folder.filePath(QStringLiteral("経済指標.xls")), releases, &error)
        || !xls::saveWorkbook(scheduleShapedSheet(), folder.filePath(QStringLiteral("corvane予定表.xls")), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
