#include "runnertestsupport.h"

#include "profile.h"
#include "settingspath.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdio>

namespace corvane::test {

RuntimeFolder::RuntimeFolder()
{
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_old = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
}

RuntimeFolder::~RuntimeFolder()
{
    if (m_old.isEmpty())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", m_old);
}

StateFolder::StateFolder() : m_old(qgetenv("XDG_STATE_HOME")), m_wasSet(qEnvironmentVariableIsSet("XDG_STATE_HOME"))
{
    qputenv("XDG_STATE_HOME", QFile::encodeName(m_dir.path()));
}

StateFolder::~StateFolder()
{
    if (m_wasSet)
        qputenv("XDG_STATE_HOME", m_old);
    else
        qunsetenv("XDG_STATE_HOME");
}

void writeSettings(const QString& path, const QList<SettingsKey>& keys)
{
    ProfileTransaction file(path);
    for (const SettingsKey& k : keys)
        file.writeString(k.section, k.key, k.value);
    QString error;
    ASSERT_TRUE(file.commit(&error)) << error.toStdString();
}

QStringList derivedList(const QString& path, const QString& section)
{
    QStringList lines;
    for (int n = 0;; ++n) {
        const QString time = profile::readString(path, section, QStringLiteral("時刻%1").arg(n));
        if (time.isEmpty())
            break;
        lines << time + QLatin1Char(' ') + profile::readString(path, section, QStringLiteral("内容%1").arg(n));
    }
    return lines;
}

RunnerProcess::RunnerProcess(const QString& folder) : m_folder(folder) {}

RunnerProcess::~RunnerProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString RunnerProcess::install(const QString& folder)
{
    const QString name = QString::fromUtf16(kRunnerProgramName);
    const QString target = QDir(folder).filePath(name);
    if (!QFile::exists(target)) {
        QFile::copy(QStringLiteral(CORVANE_PROGRAMS_DIR "/") + name, target);
        // The runner's window program, its sound output and its calendar import live beside it.
        for (const QString& part : {QStringLiteral("libcorvane_sound.so"), QStringLiteral("corvane_import"),
                                    QStringLiteral("corvane_reminder")})
            QFile::copy(QStringLiteral(CORVANE_PROGRAMS_DIR "/") + part, QDir(folder).filePath(part));
    }
    return target;
}

void FakeClock::set(const QDateTime& fakeNow)
{
    // An offset from the real clock, written whole in one replace: a runner reading the file
    // meanwhile sees the old offset or the new one.
    const qint64 offset = QDateTime::currentDateTime().secsTo(fakeNow);
    QSaveFile file(m_file);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write((offset < 0 ? QByteArray::number(offset) : '+' + QByteArray::number(offset)) + '\n');
    ASSERT_TRUE(file.commit());
}

namespace {

QProcessEnvironment runnerEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

} // namespace

void RunnerProcess::start(const FakeClock& clock)
{
    QProcessEnvironment env = runnerEnvironment();
    const QString library = libfaketime();
    ASSERT_FALSE(library.isEmpty()) << "libfaketime not found";
    env.insert(QStringLiteral("LD_PRELOAD"), library);
    env.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), clock.file());
    env.insert(QStringLiteral("FAKETIME_NO_CACHE"), QStringLiteral("1"));
    env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    start(env);
}

void RunnerProcess::start(const QString& fakeTime)
{
    QProcessEnvironment env = runnerEnvironment();
    if (!fakeTime.isEmpty()) {
        // The library itself rather than the faketime wrapper: the wrapper forks, and killing
        // it would leave the runner behind.
        const QString library = libfaketime();
        ASSERT_FALSE(library.isEmpty()) << "libfaketime not found";
        env.insert(QStringLiteral("LD_PRELOAD"), library);
        env.insert(QStringLiteral("FAKETIME"), QLatin1Char('@') + fakeTime);
        env.insert(QStringLiteral("FAKETIME_DONT_RESET"), QStringLiteral("1"));
    }
    start(env);
}

void RunnerProcess::start(QProcessEnvironment env)
{
    const QString program = install(m_folder);
    // The runner's log file goes to the test's folder, not the user's.
    env.insert(QStringLiteral("XDG_STATE_HOME"), stateFolder());
    for (const QString& name : m_extraEnvironment.keys())
        env.insert(name, m_extraEnvironment.value(name));
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_folder);
    m_process.start(program, {});
    ASSERT_TRUE(m_process.waitForStarted(5000));
}

QByteArray RunnerProcess::readStderr()
{
    m_stderr += m_process.readAllStandardError();
    return m_stderr;
}

bool RunnerProcess::waitForArmed(int timeoutMs)
{
    return waitUntil([this] { return QString::fromUtf8(readStderr()).contains(kArmedLine); }, timeoutMs);
}

bool RunnerProcess::waitForExit(int timeoutMs)
{
    if (m_process.state() == QProcess::NotRunning)
        return true;
    const bool finished = m_process.waitForFinished(timeoutMs);
    readStderr();
    return finished;
}

bool waitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    return true;
}

} // namespace corvane::test
