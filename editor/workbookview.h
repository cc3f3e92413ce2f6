#pragma once
// Opening a workbook of the programs' folder for the user to read, with the desktop's default
// application for it.
#include <QString>

namespace corvane::editor {

// Shows the workbook with the desktop's spreadsheet application. Empty when it was handed
// over; otherwise the message for the user: "ファイルがありません" when it does not exist,
// "表示中です" when a spreadsheet application has it open, or why it could not be opened.
QString viewWorkbook(const QString& path);

QString ViewScheduleWorkbook();
QString ViewIndicatorWorkbook();

} // namespace corvane::editor
