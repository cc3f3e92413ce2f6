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
#include <sys/stat.h>
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
        // The lock file is made beside the settings file: what stops it is nearly always the folder.
        const QString folder = QFileInfo(settingsPath).absolutePath();
        const int code = errno;
        const QString reason = code == EACCES || code == EPERM
                                   ? QStringLiteral("フォルダー %1 に書き込む権限がありません").arg(folder)
                               : code == EROFS  ? QStringLiteral("フォルダー %1 は読み取り専用です").arg(folder)
                               : code == ENOENT ? QStringLiteral("フォルダー %1 がありません").arg(folder)
                               : code == ENOSPC ? QStringLiteral("ディスクに空きがありません")
                                                : QString::fromLocal8Bit(std::strerror(code));
        m_error = describe(QStringLiteral("設定ファイルをロックできません"), settingsPath, reason);
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

#ifdef Q_OS_UNIX
bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error)
{
    const QString what = QStringLiteral("設定ファイルに書き込めません");
    // A link to the settings file stays a link: the file it names is replaced.
    const QFileInfo info(path);
    const QString target = !info.isSymLink() ? path : info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    // One fixed temporary name: only the lock holder writes it, and a writer that died
    // mid-write leaves one file that the next writer reuses instead of a trail of them.
    const QString temporary = target + QStringLiteral(".tmp");
    const QByteArray temporaryName = QFile::encodeName(temporary);
    struct stat existing {};
    const mode_t mode = ::stat(QFile::encodeName(target).constData(), &existing) == 0
                            ? (existing.st_mode & 07777) : mode_t(0666);
    const auto fail = [&](int code) {
        if (error)
            *error = describe(what, path, QString::fromLocal8Bit(std::strerror(code)));
        ::unlink(temporaryName.constData());
        return false;
    };
    const int fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = describe(what, path, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int code = written < 0 ? errno : ENOSPC;
            ::close(fd);
            return fail(code);
        }
        data += written;
        left -= written;
    }
    // The new contents must be on disk before the name points at them.
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) {
        const int code = errno;
        ::close(fd);
        return fail(code);
    }
    if (::close(fd) != 0)
        return fail(errno);
    if (::rename(temporaryName.constData(), QFile::encodeName(target).constData()) != 0)
        return fail(errno);
    // The folder is not synced: after a power loss the name may still show the old file,
    // which is whole; syncing it would double the cost of every write.
    return true;
}
#else
bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error)
            *error = describe(QStringLiteral("設定ファイルに書き込めません"), path, file.errorString());
        file.cancelWriting();
        return false;
    }
    return true;
}
#endif

} // namespace corvane
