// The runner's side of the reminder window program: the lines of the pipe, and the real program
// started, answering, failing and ending as the runner drives it.
#include <gtest/gtest.h>

#include "../reminder/emptyfilesettings.h"
#include "runnertestsupport.h"
#include "stderrcapture.h"
#include "tempfolder.h"
#include "windowprogramannouncer.h"
#include "windowprotocol.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <csignal>

using namespace corvane;
using corvane::test::emptyFileSettings;
using corvane::test::readFileBytes;
using corvane::test::StderrCapture;
using corvane::test::TempFolder;
using corvane::test::waitUntil;

TEST(WindowProtocol, TextsOfAnyCharactersCrossAsOneLine)
{
    for (const QString& text : {QStringLiteral("朝会\n10時 会議室\n"), QStringLiteral("a\\nb\tc\\"),
                                QStringLiteral("\\\\t\r\n"), QStringLiteral("末尾の\\")}) {
        const QString escaped = escapeProtocolText(text);
        EXPECT_FALSE(escaped.contains(u'\n') || escaped.contains(u'\t') || escaped.contains(u'\r'))
            << escaped.toStdString();
        EXPECT_EQ(unescapeProtocolText(escaped), text);
        const QByteArray line = showLine(QStringLiteral("  2026/12/7(月)  9:00"), text);
        EXPECT_EQ(line.count('\n'), 1);
        const ProtocolLine received = splitProtocolLine(line);
        EXPECT_EQ(received.command, "show");
        const std::optional<ShownMessage> shown = parseShow(received.argument);
        ASSERT_TRUE(shown);
        EXPECT_EQ(shown->caption, QStringLiteral("  2026/12/7(月)  9:00"));
        EXPECT_EQ(shown->message, text);
    }
}

TEST(WindowProtocol, TheLookArrivesAsSentAndAForeignOneIsRefused)
{
    WindowProgramLook sent;
    sent.look = {-120,
                 33000,
                 2000,
                 5000,
                 4520,
                 1640,
                 ColourValue::fromRgb(1, 2, 3),
                 ColourValue::system(8),
                 QStringLiteral("ＭＳ 明朝\tx\\n"),
                 14,
                 true,
                 false,
                 true,
                 true};
    sent.soundPath = QStringLiteral("/音/チャイム 1.wav");
    const ProtocolLine received = splitProtocolLine(lookLine(sent));
    EXPECT_EQ(received.command, "look");
    const std::optional<WindowProgramLook> look = parseLook(received.argument);
    ASSERT_TRUE(look);
    EXPECT_TRUE(*look == sent);
    EXPECT_TRUE(parseLook(QString()) == WindowProgramLook{});

    for (const char* foreign : {"top=1\tcolour=3", "top=x", "width", "bold=1.5"})
        EXPECT_FALSE(parseLook(QString::fromLatin1(foreign))) << foreign;
    EXPECT_FALSE(parseShow(QStringLiteral("caption only")));
}

namespace {

const QString kProgram = QStringLiteral(CORVANE_PROGRAMS_DIR "/") + QString::fromLatin1(kReminderWindowProgramName);

bool processGone(qint64 pid) { return pid > 0 && ::kill(pid_t(pid), 0) != 0; }

// The programs log into the test's state folder, not the user's.
class WindowProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("XDG_STATE_HOME", state.path().toLocal8Bit());
        settings = emptyFileSettings();
        settings.displaySeconds = QStringLiteral("1");
    }
    void TearDown() override { qunsetenv("XDG_STATE_HOME"); }
    // A shell script as the window program.
    QString script(const QString& body) const
    {
        const QString name = QStringLiteral("window%1.sh").arg(++m_scripts);
        const QString path = state.file(name);
        state.writeBytes(name, ("#!/bin/sh\n" + body + '\n').toUtf8());
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
        return path;
    }
    TempFolder state;
    DisplaySettings settings;
    mutable int m_scripts = 0;
};

} // namespace

TEST_F(WindowProgramTest, ReadyAheadShowsAtTheDueSecondAndEndsWhenReleased)
{
    WindowProgramAnnouncer announcer(settings, kProgram);
    QSignalSpy shown(&announcer, &WindowProgramAnnouncer::shown);
    QSignalSpy closed(&announcer, &WindowProgramAnnouncer::closed);
    QSignalSpy ready(&announcer, &WindowProgramAnnouncer::programReady);
    announcer.setReady(true);
    const qint64 pid = announcer.programId();
    ASSERT_GT(pid, 0);
    announcer.setReady(true);
    EXPECT_EQ(announcer.programId(), pid);
    // Started ahead, as the runner does: a cold start on a busy machine may take longer than the
    // 2 s a window has to show once asked.
    ASSERT_TRUE(waitUntil([&] { return ready.size() == 1; }, 30000));

    announcer.announce(QStringLiteral("朝会\n"));
    ASSERT_TRUE(waitUntil([&] { return shown.size() == 1; }, 10000));
    EXPECT_TRUE(announcer.isShown());
    // Not while the window shows.
    announcer.setReady(false);
    EXPECT_EQ(announcer.programId(), pid);
    ASSERT_TRUE(waitUntil([&] { return closed.size() == 1; }, 10000));
    EXPECT_FALSE(announcer.isShown());
    EXPECT_EQ(announcer.programId(), pid);

    announcer.setReady(false);
    EXPECT_EQ(announcer.programId(), 0);
    EXPECT_TRUE(waitUntil([&] { return processGone(pid); }, 10000));
}

TEST_F(WindowProgramTest, AProgramKilledOrStoppedIsEndedAndTheMessageShownInAFreshOne)
{
    settings.displaySeconds = QStringLiteral("10");
    for (const int signal : {SIGKILL, SIGSTOP}) {
        StderrCapture log;
        auto announcer = std::make_unique<WindowProgramAnnouncer>(settings, kProgram);
        QSignalSpy shown(announcer.get(), &WindowProgramAnnouncer::shown);
        QSignalSpy ready(announcer.get(), &WindowProgramAnnouncer::programReady);
        announcer->setReady(true);
        const qint64 first = announcer->programId();
        ASSERT_TRUE(waitUntil([&] { return ready.size() == 1; }, 30000));
        // Killed while it shows; stopped before it is asked to.
        if (signal == SIGKILL) {
            announcer->announce(QStringLiteral("朝会\n"));
            ASSERT_TRUE(waitUntil([&] { return shown.size() == 1; }, 10000));
            ::kill(pid_t(first), signal);
        } else {
            ::kill(pid_t(first), signal);
            announcer->announce(QStringLiteral("朝会\n"));
        }
        ASSERT_TRUE(waitUntil([&] { return announcer->isShown() && announcer->programId() != first; }, 15000))
            << signal;
        EXPECT_TRUE(processGone(first));
        const qint64 second = announcer->programId();
        // The fresh one fails too: no third chance, but one that had answered is replaced ahead
        // of the next reminder as usual.
        ::kill(pid_t(second), SIGKILL);
        ASSERT_TRUE(waitUntil([&] { return announcer->programId() == 0; }, 10000));
        EXPECT_TRUE(processGone(second));
        announcer->setReady(true);
        const qint64 third = announcer->programId();
        EXPECT_NE(third, 0);
        announcer.reset();
        EXPECT_TRUE(processGone(third));
        const QStringList lines = log.lines();
        EXPECT_EQ(lines.filter(QStringLiteral("2 秒以内にお知らせ画面を表示にしません")).size(),
                  signal == SIGSTOP ? 1 : 0)
            << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("起動し直して表示します")).size(), 1);
        EXPECT_EQ(lines.filter(QStringLiteral("異常終了しました")).size(), signal == SIGKILL ? 2 : 1);
    }
}

TEST_F(WindowProgramTest, AProgramThatNeverShowsIsGivenOneSecondChanceAndTheNextMessageItsOwn)
{
    struct Case {
        QString program;
        QString failure;
        bool failsAhead;
    };
    const Case cases[] = {
        {state.file(QStringLiteral("missing/corvane_reminder")), QStringLiteral("起動できません"), true},
        {script(QStringLiteral("exit 3")), QStringLiteral("終了しました (終了コード 3)"), true},
        {script(QStringLiteral("exec cat >/dev/null")), QStringLiteral("2 秒以内にお知らせ画面を表示にしません"),
         false},
    };
    // Long enough for the answer's deadline to pass while the message should be on screen.
    settings.displaySeconds = QStringLiteral("3");
    for (const Case& c : cases) {
        StderrCapture log;
        {
            WindowProgramAnnouncer announcer(settings, c.program);
            // One that fails while nothing is due is not started again at every check.
            announcer.setReady(true);
            if (c.failsAhead) {
                ASSERT_TRUE(waitUntil([&] { return announcer.programId() == 0; }, 10000));
                announcer.setReady(true);
                EXPECT_EQ(announcer.programId(), 0);
            }
            for (const QString& message : {QStringLiteral("朝会\n"), QStringLiteral("昼会\n")}) {
                announcer.announce(message);
                ASSERT_NE(announcer.programId(), 0);
                ASSERT_TRUE(waitUntil([&] { return announcer.programId() == 0; }, 15000));
                announcer.setReady(true);
                EXPECT_EQ(announcer.programId(), 0);
            }
        }
        const QStringList lines = log.lines();
        EXPECT_EQ(lines.filter(c.failure).size(), c.failsAhead ? 5 : 4) << lines.join(u'\n').toStdString();
        EXPECT_EQ(lines.filter(QStringLiteral("起動し直して表示します")).size(), 2);
        EXPECT_EQ(lines.filter(QStringLiteral("お知らせを表示できませんでした: 朝会")).size(), 1);
        EXPECT_EQ(lines.filter(QStringLiteral("お知らせを表示できませんでした: 昼会")).size(), 1);
    }
}

TEST_F(WindowProgramTest, TheProgramIsToldTheLookAheadThenTheLinesThePlaysAndTheClose)
{
    for (const bool sound : {true, false}) {
        const QString heard = state.file(QStringLiteral("heard%1.txt").arg(int(sound)));
        settings.sound = sound ? QStringLiteral("1") : QStringLiteral("0");
        settings.soundPath = QStringLiteral("/音/チャイム.wav");
        settings.soundRepeat = QStringLiteral("1");
        WindowProgramAnnouncer announcer(
            settings, script(QStringLiteral("while IFS= read -r line; do printf '%s\\n' \"$line\" >> '%1'\n"
                                            "case \"$line\" in look*) echo ready;; show*) echo shown;;\n"
                                            "close*) echo closed;; esac; done")
                                 .arg(heard)));
        announcer.setReady(true);
        announcer.announce(QStringLiteral("朝会\n会議室\n"));
        ASSERT_TRUE(waitUntil([&] { return readFileBytes(heard).endsWith("close\n"); }, 15000));
        const QStringList lines = QString::fromUtf8(readFileBytes(heard)).split(u'\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), sound ? 4 : 3) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith(QStringLiteral("look ")));
        // The program opens a sound output only for announcements that play one.
        EXPECT_TRUE(lines[0].endsWith(sound ? QStringLiteral("\tsound=/音/チャイム.wav") : QStringLiteral("\tsound=")));
        EXPECT_TRUE(lines[1].startsWith(QStringLiteral("show   20")));
        EXPECT_TRUE(lines[1].endsWith(QStringLiteral("\t朝会\\n会議室\\n")));
        EXPECT_EQ(lines.contains(QStringLiteral("play")), sound);
        EXPECT_EQ(lines.last(), QStringLiteral("close"));
    }
}

// The user's choice from the window's menu ends the announcement at once (no more plays), and a
// snooze comes back with the message that was on screen; a snooze of no minutes is ignored.
TEST_F(WindowProgramTest, TheUsersChoiceEndsTheAnnouncementAndASnoozeComesBackWithItsMessage)
{
    settings.displaySeconds = QStringLiteral("600");
    const struct Row {
        const char* answers;
        int snoozedMinutes; // 0: no snooze reported
    } rows[] = {
        {"echo 'snooze 0'; echo 'snooze 15'", 15},
        {"echo dismissed", 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.answers);
        WindowProgramAnnouncer announcer(settings,
                                         script(QStringLiteral("while IFS= read -r line; do case \"$line\" in\n"
                                                               "look*) echo ready;;\n"
                                                               "show*) echo shown; %1;;\n"
                                                               "close*) echo closed;;\n"
                                                               "esac; done")
                                                    .arg(QString::fromUtf8(row.answers))));
        QList<std::pair<QString, int>> snoozes;
        announcer.setSnoozeHandler([&](const QString& message, int minutes) { snoozes.append({message, minutes}); });
        announcer.announce(QStringLiteral("朝会\n会議室A\n"));
        ASSERT_TRUE(announcer.isAnnouncing());
        EXPECT_TRUE(waitUntil([&] { return !announcer.isAnnouncing(); }, 10000));
        ASSERT_EQ(snoozes.size(), row.snoozedMinutes ? 1 : 0);
        if (row.snoozedMinutes) {
            EXPECT_EQ(snoozes[0].first, QStringLiteral("朝会\n会議室A\n"));
            EXPECT_EQ(snoozes[0].second, row.snoozedMinutes);
        }
    }
}
