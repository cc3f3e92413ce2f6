#pragma once
// What the runner tests share: a private runtime folder (so no real runner is met), settings
// files written through the real profile library, and a runner program copied into a folder
// of its own and started as a real process.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

#include "faketimelibrary.h"

namespace corvane::test {

// What the runner logs once its one-second timer is armed.
inline const QString kArmedLine = QStringLiteral("常駐を開始しました");

// Points XDG_RUNTIME_DIR of this process (and of the runners it starts) at a private folder.
class RuntimeFolder {
public:
    RuntimeFolder();
    ~RuntimeFolder();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// Points XDG_STATE_HOME of this process at a private folder: the runner's history and pending
// snoozes go there, never into the user's.
class StateFolder {
public:
    StateFolder();
    ~StateFolder();
    // The runner's own folder inside it (where its files are).
    QString runnerFolder() const { return m_dir.path() + QStringLiteral("/corvane"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
    bool m_wasSet;
};

struct SettingsKey {
    QString section;
    QString key;
    QString value;
};
// Writes the keys in one transaction; fails the test when the file cannot be written.
void writeSettings(const QString& path, const QList<SettingsKey>& keys);

// The family 時刻n/内容n of a derived list as "h:mm text" lines.
QStringList derivedList(const QString& path, const QString& section);

// A wall clock that the test moves while the runners started with it run: libfaketime reads
// its offset from a file at every call, and the monotonic clock runs on untouched, as across a
// suspend or a clock set forward.
class FakeClock {
public:
    explicit FakeClock(const QString& file) : m_file(file) {}
    // From now on the runners' wall clock reads `fakeNow`, and runs on from there.
    void set(const QDateTime& fakeNow);
    QString file() const { return m_file; }

private:
    QString m_file;
};

// A copy of corvane_110 in `folder`, started as an independent process.
class RunnerProcess {
public:
    explicit RunnerProcess(const QString& folder);
    ~RunnerProcess();
    // Copies the built program into the folder (once per folder).
    static QString install(const QString& folder);
    // `fakeTime`: a start time for libfaketime ("2026-12-07 08:59:58"), empty for real time.
    void start(const QString& fakeTime = {});
    // Started on a clock the test moves while it runs.
    void start(const FakeClock& clock);
    // Set in the runner's environment after the defaults above (e.g. another platform).
    void setEnvironment(const QString& name, const QString& value) { m_extraEnvironment.insert(name, value); }
    bool waitForArmed(int timeoutMs = 10000);
    bool waitForExit(int timeoutMs = 10000);
    QByteArray readStderr();
    // The runner's XDG_STATE_HOME, inside its folder: its log file goes there.
    QString stateFolder() const { return m_folder + QStringLiteral("/state"); }
    QProcess& process() { return m_process; }

private:
    void start(QProcessEnvironment env);
    QString m_folder;
    QProcess m_process;
    QByteArray m_stderr;
    QProcessEnvironment m_extraEnvironment;
};

// Waits (processing events) until `condition` holds or `timeoutMs` passes.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

} // namespace corvane::test
