#include "profilefile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#else
#include <QLockFile>
#endif

namespace corvane {
namespace {

QString describe(const QString& what, const QString& path, const QString& reason)
{
    return QStringLiteral("%1: %2 (%3)").arg(what, path, reason);
}

QString folderOf(const QString& path) { return QDir::toNativeSeparators(QFileInfo(path).absolutePath()); }

#ifdef Q_OS_UNIX
// The reasons a user meets, in the words of the programs' own messages.
QString reasonFor(int code, const QString& path)
{
    switch (code) {
    case EACCES:
    case EPERM:
        return QStringLiteral("フォルダー %1 に書き込む権限がありません").arg(folderOf(path));
    case EROFS:
        return QStringLiteral("読み取り専用の場所です: %1").arg(folderOf(path));
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("ディスクの空きが足りません");
    case ENOENT:
        return QStringLiteral("フォルダー %1 がありません").arg(folderOf(path));
    case EWOULDBLOCK:
        return QStringLiteral("他のプログラムが使用中です");
    default:
        return QString::fromLocal8Bit(std::strerror(code));
    }
}

QString userName(uid_t uid)
{
    const long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size_t(size > 0 ? size : 16384));
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return QString::fromLocal8Bit(found->pw_name);
    return QStringLiteral("ユーザー番号 %1").arg(uid);
}

// The owner's name when the file at path belongs to another user, else empty.
QString otherOwnerOf(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || st.st_uid == ::geteuid())
        return {};
    return userName(st.st_uid);
}

// Waiting cannot free a lock file that another user's program holds or that we may not open:
// the user is told which file it is, so that it can be removed or its program ended.
QString foreignLockMessage(const QString& lockName, const QString& owner, bool held)
{
    return QStringLiteral("設定ファイルをロックできません: ロックファイル %1 は別のユーザー（%2）のもので、%3")
        .arg(QDir::toNativeSeparators(lockName), owner,
             held ? QStringLiteral("そのユーザーのプログラムが使用中です") : QStringLiteral("開く権限がありません"));
}

FileStamp stampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.device = std::uint64_t(st.st_dev);
    stamp.inode = std::uint64_t(st.st_ino);
    stamp.size = std::int64_t(st.st_size);
    stamp.modifiedNs = std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

// The stamp of the file at name now; a missing file has the empty stamp, as a read of it.
FileStamp stampAt(const QByteArray& name)
{
    struct stat st {};
    return ::stat(name.constData(), &st) == 0 ? stampOf(st) : FileStamp{};
}

std::int64_t nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Reads the whole file through fd; false with errno set on a read error.
bool readAll(int fd, QByteArray* bytes, qsizetype expected)
{
    bytes->clear();
    bytes->reserve(expected + 1);
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes->append(buffer, got);
    }
}

// One read: the bytes, the stamp before the read, and whether the file held still during it.
// False with *error when the file exists but cannot be read.
bool readOnce(const QString& path, QByteArray* bytes, FileStamp* stamp, bool* steady, QString* error)
{
    bytes->clear();
    *stamp = {};
    *steady = true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return true;
        if (error)
            *error = describe(QStringLiteral("設定ファイルを読み込めません"), path,
                              QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    struct stat before {
    }, after{};
    const bool ok =
        ::fstat(fd, &before) == 0 && readAll(fd, bytes, qsizetype(before.st_size)) && ::fstat(fd, &after) == 0;
    const int code = errno;
    ::close(fd);
    if (!ok) {
        if (error)
            *error = describe(QStringLiteral("設定ファイルを読み込めません"), path,
                              QString::fromLocal8Bit(std::strerror(code)));
        return false;
    }
    *stamp = stampOf(before);
    *steady = stampOf(after) == *stamp && bytes->size() == qsizetype(before.st_size);
    return true;
}

// Where the suite's last writer recorded the stamp of what it wrote.
FileStamp readRecordedStamp(int fd)
{
    char text[128] = {};
    const ssize_t got = ::pread(fd, text, sizeof text - 1, 0);
    FileStamp stamp;
    if (got <= 0)
        return stamp;
    unsigned long long device = 0, inode = 0;
    long long size = -1, modified = 0;
    if (std::sscanf(text, "%llu %llu %lld %lld", &device, &inode, &size, &modified) == 4) {
        stamp.device = device;
        stamp.inode = inode;
        stamp.size = size;
        stamp.modifiedNs = modified;
    }
    return stamp;
}

FileStamp recordedStampBeside(const QString& settingsPath)
{
    const int fd = ::open(QFile::encodeName(settingsPath + QStringLiteral(".lock")).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return {};
    const FileStamp stamp = readRecordedStamp(fd);
    ::close(fd);
    return stamp;
}
#endif

} // namespace

#ifdef Q_OS_UNIX
bool readProfileBytes(const QString& path, QByteArray* bytes, QString* error)
{
    FileStamp seen;
    bool steady = true;
    return readOnce(path, bytes, &seen, &steady, error);
}

bool readSettledProfileBytes(const QString& path, QByteArray* bytes, QString* error, FileStamp* stamp)
{
    // A hand editor that rewrites the file in place empties it first: what it holds for a
    // moment is not what the user saved. The suite's own writers replace the file whole, and
    // the lock file names what they last wrote, so only other changes are waited for.
    constexpr std::int64_t kQuietNs = 100 * 1000000;
    const QDeadlineTimer deadline(3000);
    FileStamp seen;
    QByteArray previous;
    bool havePrevious = false;
    for (;;) {
        bool steady = true;
        if (!readOnce(path, bytes, &seen, &steady, error))
            return false;
        const bool ours = seen.exists() && seen == recordedStampBeside(path);
        const bool quiet = !seen.exists() || ours || nowNs() - seen.modifiedNs >= kQuietNs;
        const bool repeated = havePrevious && previous == *bytes;
        if ((steady && (quiet || repeated)) || deadline.hasExpired())
            break;
        previous = *bytes;
        havePrevious = steady;
        QThread::msleep(30);
    }
    if (stamp)
        *stamp = seen;
    return true;
}

ProfileLock::ProfileLock(const QString& settingsPath, int timeoutMs)
{
    const QString lockName = settingsPath + QStringLiteral(".lock");
    const QByteArray lockPath = QFile::encodeName(lockName);
    // O_CLOEXEC: a program started while we hold the lock must not inherit it. 0600 and no
    // links: whoever can open the lock file can hold it and stop every save.
    m_fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    // Another user's lock file, left readable by an earlier version: flock needs no write
    // access, only the stamp of our writes goes unrecorded.
    if (m_fd < 0 && errno == EACCES)
        m_fd = ::open(lockPath.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (m_fd < 0) {
        const int code = errno;
        const QString owner = code == EACCES ? otherOwnerOf(lockPath) : QString();
        m_error = owner.isEmpty() ? describe(QStringLiteral("設定ファイルをロックできません"), settingsPath,
                                             reasonFor(code, settingsPath))
                                  : foreignLockMessage(lockName, owner, false);
        return;
    }
    struct stat st {};
    const bool known = ::fstat(m_fd, &st) == 0;
    if (known && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
        ::fchmod(m_fd, 0600); // a lock file left readable by earlier versions
    QDeadlineTimer deadline(timeoutMs);
    int pause = 1;
    while (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK && known && st.st_uid != ::geteuid()) {
            m_error = foreignLockMessage(lockName, userName(st.st_uid), true);
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) {
            m_error = describe(QStringLiteral("設定ファイルをロックできません"), settingsPath,
                               reasonFor(errno == EINTR ? EWOULDBLOCK : errno, settingsPath));
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

void ProfileLock::recordWritten(const FileStamp& stamp)
{
    if (!m_locked)
        return;
    const QByteArray text =
        QByteArray::number(qulonglong(stamp.device)) + ' ' + QByteArray::number(qulonglong(stamp.inode)) + ' '
        + QByteArray::number(qlonglong(stamp.size)) + ' ' + QByteArray::number(qlonglong(stamp.modifiedNs)) + '\n';
    if (::pwrite(m_fd, text.constData(), size_t(text.size()), 0) == ssize_t(text.size()))
        (void)::ftruncate(m_fd, text.size());
}
#else
bool readProfileBytes(const QString& path, QByteArray* bytes, QString* error)
{
    bytes->clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (file.error() == QFileDevice::OpenError && !QFileInfo::exists(path))
            return true;
        if (error)
            *error = describe(QStringLiteral("設定ファイルを読み込めません"), path, file.errorString());
        return false;
    }
    *bytes = file.readAll();
    return true;
}

bool readSettledProfileBytes(const QString& path, QByteArray* bytes, QString* error, FileStamp*)
{
    return readProfileBytes(path, bytes, error);
}

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

void ProfileLock::recordWritten(const FileStamp&) {}
#endif

#ifdef Q_OS_UNIX
namespace {
// Only the lock holder writes temporary files, so any found while we hold the lock were left
// by a writer that died mid-write.
void removeStaleTemporaries(const QString& target)
{
    const QFileInfo info(target);
    const QString prefix = info.fileName() + QStringLiteral(".tmp");
    // A plain prefix test: a name filter would compile a regular expression, whose library
    // then stays in the resident runner's memory all day.
    QDirIterator entries(info.absolutePath(), QDir::Files | QDir::Hidden | QDir::System);
    while (entries.hasNext()) {
        const QString full = entries.next();
        if (!entries.fileName().startsWith(prefix))
            continue;
        struct stat st {};
        const QByteArray name = QFile::encodeName(full);
        if (::lstat(name.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid())
            ::unlink(name.constData());
    }
}
} // namespace

bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error, ProfileLock* lock,
                        const FileStamp* readStamp, bool* changedSinceRead)
{
    const QString what = QStringLiteral("設定ファイルに書き込めません");
    const auto failWith = [&](const QString& reason) {
        if (error)
            *error = describe(what, path, reason);
        return false;
    };
    // A link to the settings file stays a link: the file it names is replaced.
    const QFileInfo info(path);
    const QString target = !info.isSymLink() ? path : info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QByteArray targetName = QFile::encodeName(target);
    struct stat existing {};
    const bool exists = ::stat(targetName.constData(), &existing) == 0;
    // A rename ignores the file's own protection; the user's "read-only" must hold anyway,
    // also for root.
    if (exists && !(existing.st_mode & S_IWUSR))
        return failWith(QStringLiteral("読み取り専用のファイルです"));

    removeStaleTemporaries(target);
    // A fresh name per write, created exclusively and never through a link, so that nobody
    // can prepare the file we are about to fill. Only the lock holder writes here.
    QByteArray temporaryName;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporaryName = targetName + ".tmp-" + QByteArray::number(QRandomGenerator::system()->generate64(), 36);
        // A new file gets 0666 less the umask from open itself.
        fd = ::open(temporaryName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    exists ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return failWith(reasonFor(errno, path));
    const auto fail = [&](int code) {
        ::close(fd);
        ::unlink(temporaryName.constData());
        return failWith(reasonFor(code, path));
    };
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return fail(written < 0 ? errno : ENOSPC);
        data += written;
        left -= written;
    }
    // The new contents must be on disk before the name points at them.
    if ((exists && ::fchmod(fd, existing.st_mode & 07777) != 0) || ::fsync(fd) != 0)
        return fail(errno);
    struct stat written {};
    if (::fstat(fd, &written) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(temporaryName.constData());
        return failWith(reasonFor(code, path));
    }
    // Checked as late as possible: the writing and syncing above take the longest.
    if (readStamp && stampAt(targetName) != *readStamp) {
        ::unlink(temporaryName.constData());
        if (changedSinceRead)
            *changedSinceRead = true;
        return false;
    }
    if (lock)
        lock->recordWritten(stampOf(written));
    if (::rename(temporaryName.constData(), targetName.constData()) != 0) {
        const int code = errno;
        ::unlink(temporaryName.constData());
        return failWith(reasonFor(code, path));
    }
    // The folder is not synced: after a power loss the name may still show the old file,
    // which is whole; syncing it would double the cost of every write.
    return true;
}
#else
bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error, ProfileLock*, const FileStamp*,
                        bool*)
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
