// The controller with real processes: the runner program copied into a private programs
// folder, and the controller program itself.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

#include "clock.h"
#include "controllerenv.h"
#include "faketimelibrary.h"
#include "controllerwindow.h"
#include "messagebox.h"
#include "profile.h"
#include "runnercontrol.h"
#include "valueforms.h"

using namespace corvane;
using namespace corvane::controller;

namespace {

const QString kBuiltRunner = QStringLiteral(CORVANE_PROGRAMS_DIR "/corvane_110");
const QString kBuiltController = QStringLiteral(CORVANE_PROGRAMS_DIR "/corvane操作");

// Processes running the program file at `path`, found by their executable link.
QList<qint64> processesOf(const QString& path)
{
    QList<qint64> pids;
    const QString wanted = QFileInfo(path).canonicalFilePath();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        if (!isPid)
            continue;
        const QString exe = QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid));
        if (exe == wanted)
            pids.append(pid);
    }
    return pids;
}

class RunnerProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!QFile::exists(kBuiltRunner))
            GTEST_SKIP() << "the runner program is not built";
        m_runner = m_env.programs().file(QStringLiteral("corvane_110"));
        ASSERT_TRUE(QFile::copy(kBuiltRunner, m_runner));
    }
    void TearDown() override
    {
        if (m_runner.isEmpty())
            return;
        StopRunner();
        // Whatever still runs from our private folder was started by this test.
        for (qint64 pid : processesOf(m_runner))
            ::kill(pid_t(pid), SIGKILL);
    }
    void startRunnerAndWait()
    {
        ASSERT_TRUE(StartRunner());
        EXPECT_TRUE(QTest::qWaitFor([&] { return FindRunner(); }, 5000));
    }
    template <typename T = QWidget>
    T* control(ControllerWindow& form, const char* name)
    {
        return form.findChild<T*>(QLatin1String(name));
    }
    void click(ControllerWindow& form, const char* name) { QTest::mouseClick(control(form, name), Qt::LeftButton); }
    // True when the runner's published list for today holds the time and text.
    bool todayListHolds(const QString& time, const QString& text) const
    {
        const QString section = QStringLiteral("本日の予定");
        for (int n = 0;; ++n) {
            const QString t = profile::readString(m_env.settingsPath(), section, QStringLiteral("時刻%1").arg(n));
            if (t.isEmpty())
                return false;
            if (t == time
                && profile::readString(m_env.settingsPath(), section, QStringLiteral("内容%1").arg(n)) == text)
                return true;
        }
    }

    test::ControllerEnvironment m_env;
    MessageRecorder m_messages;
    QString m_runner;
};

TEST_F(RunnerProcessTest, RestartStartsARunnerAndEnablesEndOnceItAnswers)
{
    ControllerWindow form;
    form.show();
    ASSERT_FALSE(control(form, "Command3")->isEnabled());

    click(form, "Command8");

    EXPECT_TRUE(QTest::qWaitFor([&] { return control(form, "Command3")->isEnabled(); }, 5000));
    EXPECT_TRUE(FindRunner());
    EXPECT_EQ(processesOf(m_runner).size(), 1);
    EXPECT_TRUE(m_messages.messages.isEmpty());
}

TEST_F(RunnerProcessTest, RestartReplacesARunningRunner)
{
    startRunnerAndWait();
    const QList<qint64> before = processesOf(m_runner);
    ASSERT_EQ(before.size(), 1);
    ControllerWindow form;
    click(form, "Command8");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return processesOf(m_runner).size() == 1 && processesOf(m_runner) != before && FindRunner(); }, 5000));
}

TEST_F(RunnerProcessTest, EndClosesTheRunnerAndEndsTheController)
{
    startRunnerAndWait();
    ControllerWindow form;
    ASSERT_TRUE(control(form, "Command3")->isEnabled());
    QSignalSpy ended(&form, &ControllerWindow::endRequested);

    click(form, "Command3");

    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(FindRunner());
    EXPECT_TRUE(QTest::qWaitFor([&] { return processesOf(m_runner).isEmpty(); }, 5000));
}

TEST_F(RunnerProcessTest, CloseLeavesTheRunnerRunning)
{
    startRunnerAndWait();
    const QList<qint64> before = processesOf(m_runner);
    ControllerWindow form;
    QSignalSpy ended(&form, &ControllerWindow::endRequested);

    click(form, "Command4");

    EXPECT_EQ(ended.count(), 1);
    QTest::qWait(300);
    EXPECT_TRUE(FindRunner());
    EXPECT_EQ(processesOf(m_runner), before);
}

TEST_F(RunnerProcessTest, QuickAddForTodayEndsWithOneRunnerListingTheEntry)
{
    // The controller and every runner it starts see the same faked day, whatever the real time
    // (an entry two minutes ahead of 23:59 would be tomorrow's).
    const QDateTime now(QDate(2026, 12, 7), QTime(10, 0));
    const QString library = test::libfaketime();
    ASSERT_FALSE(library.isEmpty()) << "libfaketime not found";
    const QList<std::pair<const char*, QByteArray>> fakeEnvironment = {
        {"LD_PRELOAD", QFile::encodeName(library)},
        {"FAKETIME", "@" + now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1()},
        {"FAKETIME_DONT_RESET", "1"},
        {"FAKETIME_DONT_FAKE_MONOTONIC", "1"}};
    for (const auto& [name, value] : fakeEnvironment)
        qputenv(name, value);
    const auto restore = qScopeGuard([&] {
        for (const auto& [name, value] : fakeEnvironment)
            qunsetenv(name);
    });
    ScopedClock clock([now] { return now; });
    startRunnerAndWait();
    ControllerWindow form;
    form.show();
    QApplication::setActiveWindow(&form);
    click(form, "Command1");
    const QString time = formatTime(now.time().addSecs(120));
    control<QLineEdit>(form, "Text1")->setText(time);
    control<QLineEdit>(form, "Text2")->setText(QStringLiteral("二分後の予定"));

    click(form, "Command5");

    EXPECT_TRUE(m_messages.messages.isEmpty()) << m_messages.messages.join('|').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return todayListHolds(time, QStringLiteral("二分後の予定")); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return processesOf(m_runner).size() == 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return control(form, "Command3")->isEnabled(); }, 5000));
    EXPECT_TRUE(FindRunner());
    EXPECT_EQ(form.windowWidthTwips(), kNarrowWidthTwips);
}

// The controller program itself.
class ControllerProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_program = m_env.programs().file(QStringLiteral("corvane操作"));
        ASSERT_TRUE(QFile::copy(kBuiltController, m_program));
    }
    void TearDown() override
    {
        for (QProcess* p : {&m_first, &m_second}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(3000);
            }
        }
    }
    test::ControllerEnvironment m_env;
    QString m_program;
    QProcess m_first;
    QProcess m_second;
};

TEST_F(ControllerProgramTest, SecondCopyEndsSilently)
{
    m_first.start(m_program, {});
    ASSERT_TRUE(m_first.waitForStarted(3000));
    // The first copy keeps running with its window.
    EXPECT_FALSE(m_first.waitForFinished(1000));

    m_second.start(m_program, {});
    ASSERT_TRUE(m_second.waitForStarted(3000));
    ASSERT_TRUE(m_second.waitForFinished(5000));
    EXPECT_EQ(m_second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_second.exitCode(), 0);
    EXPECT_TRUE(m_second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(m_first.state(), QProcess::Running);

    // Once the first copy is gone, a new one starts normally.
    m_first.kill();
    m_first.waitForFinished(3000);
    m_second.start(m_program, {});
    ASSERT_TRUE(m_second.waitForStarted(3000));
    EXPECT_FALSE(m_second.waitForFinished(1000));
}

} // namespace
