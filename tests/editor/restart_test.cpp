// "登録完了" with real runner processes: the running runner is replaced by exactly one new
// runner that has read what was just saved; with none running, none is started.
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include "editorsession.h"
#include "entrywindow.h"
#include "messagebox.h"
#include "profile.h"
#include "runnercontrol.h"
#include "settingspath.h"
#include "tempfolder.h"

using namespace corvane;
using namespace corvane::editor;

namespace {

// Processes running the runner program of this test's folder.
QList<qint64> runnersOf(const QString& program)
{
    QList<qint64> pids;
    const QString canonical = QFileInfo(program).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(entry));
        if (exe == canonical)
            pids << pid;
    }
    return pids;
}

class RestartTest : public ::testing::Test {
protected:
    RestartTest()
    {
        const QString runtime = m_folder.file(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_oldRuntime = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
        setProgramsFolderOverride(m_folder.path());
        m_runner = programPath(QString::fromUtf16(kRunnerProgramName));
        QFile::copy(QStringLiteral(CORVANE_PROGRAMS_DIR "/") + QString::fromUtf16(kRunnerProgramName), m_runner);
        profile::writeString(SettingsPath(), QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("10"));
    }
    ~RestartTest() override
    {
        StopRunner();
        for (qint64 pid : runnersOf(m_runner))
            QProcess::execute(QStringLiteral("kill"), {QString::number(pid)});
        setProgramsFolderOverride({});
        qputenv("XDG_RUNTIME_DIR", m_oldRuntime);
    }

    void finishWithEntry(const QString& text)
    {
        m_session.setEndEditor([this] { ++m_ended; });
        m_session.start();
        EntryWindow* window = m_session.entryWindow();
        window->findChild<QLineEdit*>(QStringLiteral("Text2_0"))->setText(QStringLiteral("23:59"));
        window->findChild<QLineEdit*>(QStringLiteral("Text3_0"))->setText(text);
        window->findChild<QPushButton*>(QStringLiteral("Command4"))->click();
    }

    test::TempFolder m_folder;
    QByteArray m_oldRuntime;
    QString m_runner;
    MessageRecorder m_messages;
    EditorSession m_session;
    int m_ended = 0;
};

TEST_F(RestartTest, ARunningRunnerIsReplacedByOneThatReadTheSave)
{
    qint64 oldPid = 0;
    ASSERT_TRUE(QProcess::startDetached(m_runner, {}, m_folder.path(), &oldPid));
    EXPECT_TRUE(QTest::qWaitFor([&] { return FindRunner(); }, 10000));

    finishWithEntry(QStringLiteral("新しい予定"));
    // The editor ends once the new runner has been started, after the pause.
    EXPECT_EQ(m_ended, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_ended == 1; }, 10000));
    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join(' ').toStdString();

    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return profile::readString(SettingsPath(), QStringLiteral("本日の予定"), QStringLiteral("内容0"))
                   == QStringLiteral("新しい予定");
        },
        10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return FindRunner(); }, 5000));
    // Give a runner that would end itself as a second copy the time to do so.
    QTest::qWait(500);
    const QList<qint64> runners = runnersOf(m_runner);
    ASSERT_EQ(runners.size(), 1);
    EXPECT_NE(runners[0], oldPid);
    EXPECT_TRUE(FindRunner());
}

TEST_F(RestartTest, NoRunnerRunningMeansNoneIsStarted)
{
    finishWithEntry(QStringLiteral("予定"));
    EXPECT_EQ(m_ended, 1);
    EXPECT_EQ(profile::readString(SettingsPath(), QStringLiteral("内容"), QStringLiteral("0-0")),
              QStringLiteral("予定"));
    QTest::qWait(700);
    EXPECT_TRUE(runnersOf(m_runner).isEmpty());
    EXPECT_FALSE(FindRunner());
}

TEST_F(RestartTest, ASecondEditorEndsAtOnceAndSilently)
{
    const QString editor = programPath(QString::fromUtf16(kEditorProgramName));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CORVANE_PROGRAMS_DIR "/") + QString::fromUtf16(kEditorProgramName), editor));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(editor, {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy holds its lock once its window is up; give it that time.
    QTest::qWait(1500);
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(editor, {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

} // namespace
