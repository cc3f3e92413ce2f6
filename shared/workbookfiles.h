#pragma once
// Telling whether a spreadsheet application has a workbook open.
#include <QString>

namespace corvane {

// True while a spreadsheet application holds the file: on Windows renaming the file to its
// own name fails then; elsewhere a rename never fails, so the lock file such applications
// put beside it (".~lock.NAME#") is the sign. A missing file is not busy.
bool isWorkbookBusy(const QString& path);

// The lock file a spreadsheet application keeps beside path while the file is open.
QString workbookLockFile(const QString& path);

} // namespace corvane
