// Writes sample workbooks for looking at them in a spreadsheet application: the indicator
// layout with a week of releases, and the schedule workbook of a registered week.
// Usage: write_samples FOLDER
#include "indicatorworkbook.h"
#include "scheduleworkbook.h"
#include "xls/xlswriter.h"

#include <QDir>
#include <cstdio>

using namespace corvane;

namespace {

// A week as a user registers it: every-day and weekday entries, a few own-day entries, a
// holiday check, and two dated entries; built by the editor's own schedule builder.
editor::ScheduleData sampleSchedule()
{
    editor::ScheduleData data;
    auto add = [&](int category, const char* time, const char* text) {
        data.categories[category].append({QString::fromUtf8(time), QString::fromUtf8(text)});
    };
    add(0, "12:00", "昼休み");
    add(1, "9:00", "朝礼");
    add(3, "17:00", "定例会議");
    add(3, "7:30", "週次報告の準備");
    add(7, "16:30", "週報の提出");
    add(10, "10:00", "休日の確認");
    data.dated.append({QStringLiteral("2026/12/8"), QStringLiteral("8:00"), QStringLiteral("健康診断")});
    data.dated.append({QStringLiteral("2026/12/24"), QStringLiteral("14:30"), QStringLiteral("歯医者")});
    return data;
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
        || !xls::saveWorkbook(editor::buildScheduleWorkbook(sampleSchedule()),
                              folder.filePath(QStringLiteral("corvane予定表.xls")), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    return 0;
}
