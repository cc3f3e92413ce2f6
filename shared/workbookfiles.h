#pragma once
// Showing a workbook to the user and telling whether a spreadsheet application has it open.
#include <QString>

namespace corvane {

// Opens the workbook with the desktop's default application for it and returns at once,
// without waiting for that application. False with *error when no application could be
// started (e.g. no desktop opener installed).
bool showWorkbook(const QString& path, QString* error = nullptr);

// Tests and tools may replace the desktop opener ("xdg-open" on Linux) by another program
// that takes the file as its only argument; empty restores the default.
void setWorkbookOpener(const QString& program);

// True while a spreadsheet application holds the file: on Windows renaming the file to its
// own name fails then; elsewhere a rename never fails, so the lock file such applications
// put beside it (".~lock.NAME#") is the sign. A missing file is not busy.
bool isWorkbookBusy(const QString& path);

// The lock file a spreadsheet application keeps beside path while the file is open.
QString workbookLockFile(const QString& path);

} // namespace corvane
