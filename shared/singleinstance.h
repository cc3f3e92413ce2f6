#pragma once
// One instance per program and per user: a lock file in the user's runtime folder
// (QStandardPaths::RuntimeLocation, 0700). The lock of a process that died is stale and is
// taken over by the next start.
#include <QString>
#include <memory>

class QLockFile;

namespace corvane {

// The per-user runtime folder where locks and the runner's socket live.
QString userRuntimeFolder();

class SingleInstance {
public:
    explicit SingleInstance(const QString& programName);
    ~SingleInstance();
    // True when this process now holds the program's lock; false when another live
    // instance holds it.
    bool tryAcquire();
    // Gives the lock up (also done by the destructor and by process exit).
    void release();
    bool isHeld() const;

private:
    QString m_programName;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace corvane
