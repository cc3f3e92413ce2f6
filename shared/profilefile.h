#pragma once
// The file side of the settings file: reading it whole, the advisory lock beside it and the
// atomic replace, so that readers never see a torn file and writers never lose each other's
// changes.
#include <QByteArray>
#include <QString>

namespace corvane {

// The whole file; a missing file reads as empty. False (with *error) only when the file
// exists but cannot be read.
bool readProfileBytes(const QString& path, QByteArray* bytes, QString* error = nullptr);

// Exclusive advisory lock on "<settings file>.lock", held until destruction. Works across
// processes; the system drops it when its holder dies, so a crash never leaves it stuck.
class ProfileLock {
public:
    // Waits up to timeoutMs for the lock.
    explicit ProfileLock(const QString& settingsPath, int timeoutMs = 10000);
    ~ProfileLock();
    ProfileLock(const ProfileLock&) = delete;
    ProfileLock& operator=(const ProfileLock&) = delete;

    bool isLocked() const { return m_locked; }
    const QString& error() const { return m_error; }

private:
    int m_fd = -1;          // the lock file, where flock exists
    void* m_handle = nullptr; // a QLockFile elsewhere
    bool m_locked = false;
    QString m_error;
};

// Writes bytes to a temporary file in the same folder ("<file>.tmp"; call it only while
// holding the ProfileLock), flushes it to disk and renames it over path. On failure path is
// unchanged and *error says why.
bool replaceProfileFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace corvane
