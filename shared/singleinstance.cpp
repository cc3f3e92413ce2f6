#include "singleinstance.h"

#include "log.h"
#include "statefolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvane {

namespace {

// A folder only this user can enter: a real folder (not a link), owned by us, mode 0700.
bool isPrivateFolder(const QString& folder)
{
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid()
           && (st.st_mode & 077) == 0;
#else
    return QFileInfo(folder).isDir();
#endif
}

} // namespace

QString userRuntimeFolder()
{
    // The lock and the runner's socket must be where no other user can put theirs first: a
    // squatted lock would stop our runner, a squatted socket would take our close requests.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isPrivateFolder(runtime))
        return runtime;
    // Otherwise a folder of our own in the user's cache, never one in a shared place.
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/corvane/runtime");
    if (makePrivateFolders(folder) && isPrivateFolder(folder))
        return folder;
    logLine(QStringLiteral("実行用フォルダー %1 は他のユーザーも使えるため使いません")
                .arg(runtime.isEmpty() ? folder : runtime));
    return {};
}

SingleInstance::SingleInstance(const QString& programName) : m_programName(programName) {}

SingleInstance::~SingleInstance() { release(); }

bool SingleInstance::tryAcquire()
{
    if (isHeld())
        return true;
    const QString folder = userRuntimeFolder();
    if (folder.isEmpty())
        return false;
    const QString path = QDir(folder).filePath(m_programName + QStringLiteral(".lock"));
    auto lock = std::make_unique<QLockFile>(path);
    // Only a dead owner makes a lock stale: an instance that has run for days keeps its lock.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            logLine(
                QStringLiteral("二重起動を防ぐロック %1 を取れません（エラー %2）").arg(path).arg(int(lock->error())));
        return false;
    }
    m_lock = std::move(lock);
    return true;
}

void SingleInstance::release()
{
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool SingleInstance::isHeld() const { return m_lock && m_lock->isLocked(); }

} // namespace corvane
