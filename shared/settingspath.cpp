#include "settingspath.h"

#include <QCoreApplication>
#include <QDir>

namespace corvane {

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString ProgramsFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    return QCoreApplication::applicationDirPath();
}

void setProgramsFolderOverride(const QString& folder) { overrideFolder() = folder; }

QString programsFile(const QString& name) { return QDir::toNativeSeparators(QDir(ProgramsFolder()).filePath(name)); }

QString SettingsPath() { return programsFile(QString::fromUtf16(kSettingsFileName)); }

QString programPath(const QString& programName)
{
#ifdef Q_OS_WIN
    return programsFile(programName + QStringLiteral(".exe"));
#else
    return programsFile(programName);
#endif
}

} // namespace corvane
