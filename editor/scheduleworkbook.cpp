#include "scheduleworkbook.h"

#include <QFileInfo>
#include <algorithm>

#include "daycategory.h"
#include "log.h"
#include "profile.h"
#include "settingspath.h"
#include "valueforms.h"
#include "workbookfiles.h"
#include "xls/xlswriter.h"

namespace corvane::editor {

namespace {

using xls::Borders;
using xls::CellFormat;
using xls::HAlign;
using xls::Line;

constexpr int kFirstDataRow = 2; // row 3
constexpr int kColA = 0, kColB = 1, kColC = 2, kColD = 3, kColE = 4, kColF = 5;
constexpr int kHeadingFill = 35, kRecurringFill = 36, kDatedFill = 34;

const QString kSheetName = QStringLiteral("表示予定");

CellFormat columnFormat(int col)
{
    CellFormat format;
    switch (col) {
    case kColB:
    case kColE:
        format.numberFormat = xls::kHourMinuteFormat;
        format.align = HAlign::Centre;
        break;
    case kColD:
        format.numberFormat = xls::kDateWithWeekdayFormat;
        format.align = HAlign::Centre;
        break;
    case kColA:
        format.align = HAlign::Centre;
        break;
    default:
        format.align = HAlign::Left;
    }
    return format;
}

// A time as the spreadsheet takes typed "h:mm": a time value when it is one, else the text.
void putTime(xls::Sheet& sheet, int row, int col, const QString& text, const CellFormat& format)
{
    if (const auto time = parseTime(text))
        sheet.setTime(row, col, *time, format);
    else if (!text.isEmpty())
        sheet.setText(row, col, text, format);
    else
        sheet.setBlank(row, col, format);
}

void putText(xls::Sheet& sheet, int row, int col, const QString& text, const CellFormat& format)
{
    if (text.isEmpty())
        sheet.setBlank(row, col, format);
    else
        sheet.setText(row, col, text, format);
}

// Borders of a box: thin outline; hairlines between its columns (when asked and the box has
// more than one row) and between its rows in the columns from innerRowsFrom on.
Borders boxBorders(int row, int col, int firstRow, int lastRow, int firstCol, int lastCol, bool innerColumns,
                   int innerRowsFrom)
{
    const bool multiRow = lastRow > firstRow;
    Borders b;
    b.left = col == firstCol ? Line::Thin : (innerColumns && multiRow ? Line::Hair : Line::None);
    b.right = col == lastCol ? Line::Thin : (innerColumns && multiRow ? Line::Hair : Line::None);
    const bool innerRow = multiRow && col >= innerRowsFrom;
    b.top = row == firstRow ? Line::Thin : (innerRow ? Line::Hair : Line::None);
    b.bottom = row == lastRow ? Line::Thin : (innerRow ? Line::Hair : Line::None);
    return b;
}

// Sorting B:C on B as the spreadsheet does: times ascending, texts after them, stable.
void sortByTime(QList<Announcement>& rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const Announcement& a, const Announcement& b) {
        const auto ta = parseTime(a.time);
        const auto tb = parseTime(b.time);
        if (ta && tb)
            return *ta < *tb;
        if (ta != tb)
            return ta.has_value();
        return a.time < b.time;
    });
}

void writeHeading(xls::Sheet& sheet)
{
    for (int col = kColA; col <= kColF; ++col)
        sheet.setColumn(col, (col == kColC || col == kColF) ? 50 : (col == kColD ? 16 : 8.5), columnFormat(col));
    const Borders all{Line::Thin, Line::Thin, Line::Thin, Line::Thin};
    for (int row = 0; row < kFirstDataRow; ++row) {
        for (int col = kColA; col <= kColF; ++col) {
            CellFormat format = columnFormat(col);
            format.align = HAlign::Centre;
            format.borders = all;
            format.fillColour = row == 0 ? kHeadingFill : (col <= kColC ? kRecurringFill : kDatedFill);
            sheet.setBlank(row, col, format);
        }
    }
    sheet.setText(0, kColA, QStringLiteral("corvane 表示予定"), sheet.cellAt(0, kColA)->format);
    sheet.setText(1, kColA, QStringLiteral("定例分"), sheet.cellAt(1, kColA)->format);
    sheet.setText(1, kColD, QStringLiteral("指定日分"), sheet.cellAt(1, kColD)->format);
    sheet.merge({0, 0, kColA, kColF});
    sheet.merge({1, 1, kColA, kColC});
    sheet.merge({1, 1, kColD, kColF});
    sheet.freezeRows(kFirstDataRow);
}

} // namespace

ScheduleData readScheduleData(const QString& settingsPath)
{
    const ProfileTransaction tx(settingsPath);
    const QString timeSection = QString::fromUtf16(kTimeSection);
    const QString textSection = QString::fromUtf16(kTextSection);
    const QString dateSection = QString::fromUtf16(kDateSection);
    ScheduleData data;
    for (int c = 0; c < kCategoryCount; ++c) {
        if (c == Dated)
            continue;
        for (int n = 0; n < kEntriesPerCategory; ++n) {
            const QString key = entryKey(c, n);
            const QString time = readCut(tx, timeSection, key);
            if (time.isEmpty())
                break;
            data.categories[size_t(c)].append({time, readCut(tx, textSection, key)});
        }
    }
    for (int n = 0; n < kEntriesPerCategory; ++n) {
        const QString key = entryKey(Dated, n);
        const QString date = readCut(tx, dateSection, key);
        if (date.isEmpty())
            break;
        data.dated.append({date, readCut(tx, timeSection, key), readCut(tx, textSection, key)});
    }
    return data;
}

xls::Workbook buildScheduleWorkbook(const ScheduleData& data)
{
    xls::Workbook book;
    xls::Sheet& sheet = book.sheet;
    sheet.setName(kSheetName);
    writeHeading(sheet);

    int row = kFirstDataRow;
    for (int c = Monday; c <= Holiday; ++c) {
        QList<Announcement> rows = data.categories[EveryDay];
        if (c <= Monday + 4)
            rows += data.categories[Weekdays];
        rows += data.categories[size_t(c)];
        sortByTime(rows);
        const int first = row;
        const int last = first + std::max<int>(1, int(rows.size())) - 1;
        for (int r = first; r <= last; ++r) {
            for (int col = kColA; col <= kColC; ++col) {
                CellFormat format = columnFormat(col);
                format.borders = boxBorders(r, col, first, last, kColA, kColC, true, kColB);
                const qsizetype i = r - first;
                if (col == kColA)
                    putText(sheet, r, col, r == first ? categoryCaption(c) : QString(), format);
                else if (i >= rows.size())
                    sheet.setBlank(r, col, format);
                else if (col == kColB)
                    putTime(sheet, r, col, rows[i].time, format);
                else
                    putText(sheet, r, col, rows[i].text, format);
            }
        }
        row = last + 1;
    }

    // The dated box is as tall as the longer of the two blocks.
    const int last = std::max(row - 1, kFirstDataRow + int(data.dated.size()) - 1);
    for (int r = kFirstDataRow; r <= last; ++r) {
        const qsizetype i = r - kFirstDataRow;
        for (int col = kColD; col <= kColF; ++col) {
            CellFormat format = columnFormat(col);
            format.borders = boxBorders(r, col, kFirstDataRow, last, kColD, kColF, false, kColD);
            if (i >= data.dated.size()) {
                sheet.setBlank(r, col, format);
                continue;
            }
            const DatedAnnouncement& entry = data.dated[i];
            if (col == kColD) {
                if (const auto date = parseDate(entry.date))
                    sheet.setDate(r, col, *date, format);
                else
                    putText(sheet, r, col, entry.date, format);
            } else if (col == kColE) {
                putTime(sheet, r, col, entry.time, format);
            } else {
                putText(sheet, r, col, entry.text, format);
            }
        }
    }
    return book;
}

QString CreateScheduleWorkbook(const QString& settingsPath, const QString& workbookPath)
{
    if (QFileInfo::exists(workbookPath) && isWorkbookBusy(workbookPath))
        return QStringLiteral("ファイルを閉じてから再度作成ボタンを押してください");
    QString reason;
    if (!xls::saveWorkbook(buildScheduleWorkbook(readScheduleData(settingsPath)), workbookPath, &reason)) {
        logLine(QStringLiteral("予定表を作成できませんでした: ") + reason);
        return QStringLiteral("予定表を作成できませんでした\n") + reason;
    }
    return {};
}

QString CreateScheduleWorkbook()
{
    return CreateScheduleWorkbook(SettingsPath(), programsFile(QString::fromUtf16(kScheduleWorkbookName)));
}

} // namespace corvane::editor
