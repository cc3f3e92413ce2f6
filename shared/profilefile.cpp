#include "profilefile.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#else
#include <QLockFile>
#endif

namespace corvane {
namespace {

QString describe(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2 (%3)").arg(what, path, reason);
}

#ifdef Q_OS_UNIX
// The rename is durable only once the folder's entry is on disk.
void syncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

bool readProfileBytes(const QString& path, QByteArray* bytes, QString* error)
{
    bytes->clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = describe(QStringLiteral("設定ファイルを読み込めません"), path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

#ifdef Q_OS_UNIX
ProfileLock::ProfileLock(const QString& settingsPath, int timeoutMs)
{
    const QByteArray lockPath = QFile::encodeName(settingsPath + QStringLiteral(".lock"));
    // O_CLOEXEC: a program started while we hold the lock must not inherit it.
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_error = describe(QStringLiteral("設定ファイルをロックできません"), settingsPath,
                           QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    QDeadlineTimer deadline(timeoutMs);
    int pause = 1;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            m_error = describe(QStringLiteral("設定ファイルをロックできません"), settingsPath,
                               errno == EWOULDBLOCK ? QStringLiteral("他のプログラムが使用中です")
                                                    : QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        QThread::msleep(pause);
        pause = std::min(pause * 2, 20);
    }
    m_locked = true;
}

ProfileLock::~ProfileLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // closing drops the flock
}
#else
ProfileLock::ProfileLock(const QString& settingsPath, int timeoutMs)
{
    auto* lock = new QLockFile(settingsPath + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    m_locked = lock->tryLock(timeoutMs);
    if (!m_locked) {
        m_error = describe(QStringLiteral("設定ファイルをロックできません"), settingsPath,
                           QStringLiteral("他のプログラムが使用中です"));
        delete lock;
        lock = nullptr;
    }
    m_fd = -1;
    m_handle = lock;
}

ProfileLock::~ProfileLock() { delete static_cast<QLockFile*>(m_handle); }
#endif

bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = describe(QStringLiteral("設定ファイルに書き込めません"), path, file.errorString());
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    syncFolder(path);
#endif
    return true;
}

} // namespace corvane
