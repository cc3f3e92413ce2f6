#include "singleinstance.h"

#include "log.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace corvane {

QString userRuntimeFolder()
{
    // Qt checks that $XDG_RUNTIME_DIR belongs to the user with mode 0700, or makes its own
    // private fallback folder; either way nobody else can enter it.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    return folder;
}

SingleInstance::SingleInstance(const QString& programName) : m_programName(programName) {}

SingleInstance::~SingleInstance() { release(); }

bool SingleInstance::tryAcquire()
{
    if (isHeld())
        return true;
    const QString path = QDir(userRuntimeFolder()).filePath(m_programName + QStringLiteral(".lock"));
    auto lock = std::make_unique<QLockFile>(path);
    // Only a dead owner makes a lock stale: an instance that has run for days keeps its lock.
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            logLine(QStringLiteral("二重起動を防ぐロック %1 を取れません（エラー %2）")
                        .arg(path)
                        .arg(int(lock->error())));
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
