#pragma once
// What the runner tests share: a private runtime folder (so no real runner is met), settings
// files written through the real profile library, and a runner program copied into a folder
// of its own and started as a real process.
#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>

namespace corvane::test {

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

struct SettingsKey {
    QString section;
    QString key;
    QString value;
};
// Writes the keys in one transaction; fails the test when the file cannot be written.
void writeSettings(const QString& path, const QList<SettingsKey>& keys);

// The family 時刻n/内容n of a derived list as "h:mm text" lines.
QStringList derivedList(const QString& path, const QString& section);

// The libfaketime library to preload; empty when it is not installed.
QString libfaketime();

// A copy of corvane_110 in `folder`, started as an independent process.
class RunnerProcess {
public:
    explicit RunnerProcess(const QString& folder);
    ~RunnerProcess();
    // Copies the built program into the folder (once per folder).
    static QString install(const QString& folder);
    // `fakeTime`: a start time for libfaketime ("2026-12-07 08:59:58"), empty for real time.
    void start(const QString& fakeTime = {});
    // Set in the runner's environment after the defaults above (e.g. another platform).
    void setEnvironment(const QString& name, const QString& value) { m_extraEnvironment.insert(name, value); }
    // Starts with a clock the test can move while the runner runs (see FakeClockFile).
    void startWithClockFile(const QString& clockFile);
    bool waitForArmed(int timeoutMs = 10000);
    bool waitForExit(int timeoutMs = 10000);
    QByteArray readStderr();
    QProcess& process() { return m_process; }

private:
    QString m_folder;
    QProcess m_process;
    QByteArray m_stderr;
    QProcessEnvironment m_extraEnvironment;
};

// A libfaketime clock file: the runner's clock reads it at every call, so the test can set the
// time of day while the runner runs. The time runs on from each setting.
class FakeClockFile {
public:
    explicit FakeClockFile(const QString& path) : m_path(path) {}
    QString path() const { return m_path; }
    // From now on the clock reads `at` (and then runs on).
    void set(const QDateTime& at) const;

private:
    QString m_path;
};

// Waits (processing events) until `condition` holds or `timeoutMs` passes.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs);

} // namespace corvane::test
