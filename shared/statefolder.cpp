#include "statefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvane {

QString runnerStateFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/corvane");
}

// The state folder may hold other private files: folders made here are the user's alone, as the
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

bool writePrivateFile(const QString& path, const QByteArray& bytes, QString* reason)
{
    const QString folder = QFileInfo(path).path();
    if (!makePrivateFolders(folder)) {
        *reason = QStringLiteral("フォルダー %1 を作れません").arg(QDir::toNativeSeparators(folder));
        return false;
    }
    QSaveFile file(path);
    // The temporary file is made private before a byte of the user's reminders goes into it.
    const bool written = file.open(QIODevice::WriteOnly) && file.setPermissions(QFile::ReadOwner | QFile::WriteOwner)
                         && file.write(bytes) == bytes.size() && file.commit();
    if (!written) {
        *reason = file.errorString();
        file.cancelWriting();
    }
    return written;
}

} // namespace corvane
