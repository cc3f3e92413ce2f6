#include "workbookview.h"

#include <QFileInfo>

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
    QString reason;
    if (!showWorkbook(path, &reason)) {
        logLine(QStringLiteral("ブックを開けませんでした: ") + path + QStringLiteral(": ") + reason);
        return QStringLiteral("ファイルを開けませんでした\n") + reason;
    }
    return {};
}

QString ViewScheduleWorkbook()
{
    return viewWorkbook(programsFile(QString::fromUtf16(kScheduleWorkbookName)));
}

QString ViewIndicatorWorkbook()
{
    return viewWorkbook(programsFile(QString::fromUtf16(kIndicatorWorkbookName)));
}

} // namespace corvane::editor
