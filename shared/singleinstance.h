#pragma once
// One instance per program and per user: a lock file in the user's private runtime folder. The lock of a process that
// died is stale and is taken over by the next start.
#include <QString>
#include <memory>

class QLockFile;

namespace corvane {

// The per-user runtime folder where locks and the runner's socket live: $XDG_RUNTIME_DIR when
// it belongs to the user with mode 0700, otherwise a private folder under the user's cache
// folder (never the shared temporary folder). Empty, logged, when no private folder exists.
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
