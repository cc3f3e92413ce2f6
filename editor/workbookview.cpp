#include "workbookview.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include "log.h"
#include "settingspath.h"
#include "workbookfiles.h"

namespace corvane::editor {

QString viewWorkbook(const QString& path)
{
    if (!QFileInfo::exists(path))
        return QStringLiteral("ファイルがありません");
    if (isWorkbookBusy(path))
        return QStringLiteral("表示中です");
    // Handed to the desktop's default application for the file; this returns at once.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()))) {
        logLine(QStringLiteral("ブックを開けませんでした: ") + path);
        return QStringLiteral("ファイルを開けませんでした\nブックを表示するアプリケーションを起動できません: %1")
            .arg(QDir::toNativeSeparators(path));
    }
    return {};
}

QString ViewScheduleWorkbook() { return viewWorkbook(programsFile(QString::fromUtf16(kScheduleWorkbookName))); }

QString ViewIndicatorWorkbook() { return viewWorkbook(programsFile(QString::fromUtf16(kIndicatorWorkbookName))); }

} // namespace corvane::editor
