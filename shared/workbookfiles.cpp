#include "workbookfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace corvane {

namespace {

bool renameToItselfFails(const QString& path)
{
#ifdef Q_OS_WIN
    const std::wstring native = QDir::toNativeSeparators(path).toStdWString();
    return !MoveFileExW(native.c_str(), native.c_str(), MOVEFILE_REPLACE_EXISTING);
#else
    const QByteArray native = QFile::encodeName(path);
    return std::rename(native.constData(), native.constData()) != 0;
#endif
}

} // namespace

QString workbookLockFile(const QString& path)
{
    const QFileInfo info(path);
    return info.dir().filePath(QStringLiteral(".~lock.") + info.fileName() + QLatin1Char('#'));
}

bool isWorkbookBusy(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return false;
    return QFileInfo::exists(workbookLockFile(path)) || renameToItselfFails(path);
}

} // namespace corvane
