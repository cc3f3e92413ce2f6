#include "workbookfiles.h"

#include "log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace corvane {

namespace {

QString& openerOverride()
{
    static QString program;
    return program;
}

QString defaultOpener()
{
#if defined(Q_OS_WIN)
    return QStringLiteral("explorer");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("open");
#else
    return QStringLiteral("xdg-open");
#endif
}

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

void setWorkbookOpener(const QString& program)
{
    openerOverride() = program;
}

bool showWorkbook(const QString& path, QString* error)
{
    const QString program = openerOverride().isEmpty() ? defaultOpener() : openerOverride();
    const QString file = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    if (!QProcess::startDetached(program, {file})) {
        const QString why = QStringLiteral("ブックを表示するアプリケーションを起動できません: %1").arg(program);
        logLine(why);
        if (error)
            *error = why;
        return false;
    }
    return true;
}

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
