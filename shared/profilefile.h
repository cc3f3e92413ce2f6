#pragma once
// The file side of the settings file: reading it whole, the advisory lock beside it and the
// atomic replace, so that readers never see a torn file and writers never lose each other's
// changes.
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace corvane {

// Which file a read saw: replaced files get a new inode, files edited in place a new size or
// modification time.
struct FileStamp {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = -1, modifiedNs = 0;
    bool exists() const { return size >= 0; }
    bool operator==(const FileStamp&) const = default;
};

// The whole file; a missing file reads as empty. The file is opened first: only "no such
// file" from the open means missing, so a reader racing another writer's rename never takes
// the file for absent. False (with *error) only when the file exists but cannot be read.
bool readProfileBytes(const QString& path, QByteArray* bytes, QString* error = nullptr);

// As readProfileBytes, for a read that a later write will rest on: a file that another
// program is rewriting in place (it changes while read, or was modified a moment ago by
// someone other than this suite's writers) is read again after a short wait, until it holds
// still or a few seconds have passed. *stamp (when given) names the file that was read.
bool readSettledProfileBytes(const QString& path, QByteArray* bytes, QString* error = nullptr,
                             FileStamp* stamp = nullptr);

// Exclusive advisory lock on "<settings file>.lock" (created 0600), held until destruction.
// Works across processes; the system drops it when its holder dies, so a crash never leaves
// it stuck. A lock file of another user (left by an earlier version, or by running a program
// as another user) is still used when it is free; while it is held, the lock fails at once
// with a message naming the file, since waiting for another user's program cannot help.
class ProfileLock {
public:
    // Waits up to timeoutMs for the lock.
    explicit ProfileLock(const QString& settingsPath, int timeoutMs = 10000);
    ~ProfileLock();
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    bool isLocked() const { return m_locked; }
    const QString& error() const { return m_error; }

    // Records in the lock file the stamp of what the suite's writer just wrote, so that a
    // reader can tell the suite's own complete writes from a hand edit in progress.
    void recordWritten(const FileStamp& stamp);

private:
    int m_fd = -1;            // the lock file, where flock exists
    void* m_handle = nullptr; // a QLockFile elsewhere
    bool m_locked = false;
    QString m_error;
};

// Writes bytes to a new temporary file in the same folder (an unpredictable name, created
// exclusively without following links; call it only while holding the ProfileLock), flushes
// it to disk and renames it over path. A new file gets 0666 less the umask, an existing one
// keeps its mode. A file whose owner write bit is off is refused, whoever runs the program.
// On failure path is unchanged and *error says why. With a lock, the new file's stamp is
// recorded in it before the new file takes the name, so no reader ever sees our own complete
// file as a stranger's.
// With readStamp, path is replaced only while it is still the file that was read: a text
// editor saves without the lock, and its save made after the read must not be replaced by
// content decided on the older file. Then false, with *changedSinceRead set and no error.
bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error = nullptr,
                        ProfileLock* lock = nullptr, const FileStamp* readStamp = nullptr,
                        bool* changedSinceRead = nullptr);

} // namespace corvane
