#pragma once
// The schedule workbook "corvane予定表.xls", sheet "表示予定": for each weekday and for
// holidays the announcements that apply, sorted by time, and beside them the dated
// announcements. Built from the settings file as last saved, never from the editor's memory.
#include <QList>
#include <QString>
#include <array>

#include "xls/xlsmodel.h"

namespace corvane::editor {

struct Announcement {
    QString time;
    QString text;
};
struct DatedAnnouncement {
    QString date;
    QString time;
    QString text;
};

// What the workbook shows, read as the runner reads it: each category's family from key 0 up
// to the first empty time ("指定日" for the dated ones), values cut at 254 bytes.
struct ScheduleData {
    std::array<QList<Announcement>, 11> categories;
    QList<DatedAnnouncement> dated;
};
ScheduleData readScheduleData(const QString& settingsPath);

// The whole sheet: fixed heading rows and column formats, the eight day blocks, the dated box.
xls::Workbook buildScheduleWorkbook(const ScheduleData& data);

// Builds the workbook at workbookPath from the settings file. Empty when done; otherwise the
// message for the user ("ファイルを閉じてから再度作成ボタンを押してください" while a
// spreadsheet application has the workbook open, nothing changed then).
QString CreateScheduleWorkbook(const QString& settingsPath, const QString& workbookPath);
// The programs' own settings file and workbook.
QString CreateScheduleWorkbook();

} // namespace corvane::editor
