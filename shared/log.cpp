#include "log.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace corvane {

namespace {

QString& logFilePath()
{
    static QString path;
    return path;
}

// The state folder may hold other private logs: folders made here are the user's alone, as the
// base-directory rules ask.
bool makePrivateFolders(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return true;
    const QString parent = QFileInfo(folder).path();
    if (parent == folder || !makePrivateFolders(parent))
        return false;
    if (!QDir().mkdir(folder))
        return QFileInfo(folder).isDir();
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return true;
}

void appendToFile(const QString& path, const QByteArray& line)
{
    if (!makePrivateFolders(QFileInfo(path).path()))
        return;
    if (QFileInfo(path).size() + line.size() > kLogFileLimit)
        std::rename(QFile::encodeName(path).constData(), QFile::encodeName(path + QStringLiteral(".1")).constData());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line);
}

} // namespace

void logLine(const QString& text)
{
    const QByteArray line = (QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss "))
                             + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    if (!logFilePath().isEmpty())
        appendToFile(logFilePath(), line);
}

void logAlsoToFile(const QString& path) { logFilePath() = path; }

QString runnerLogPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/corvane/corvane_110.log");
}

} // namespace corvane
