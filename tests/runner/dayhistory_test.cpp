// The runner's own files in its state folder, on real files: where the folder is, the day's
// history as the runner records it (and the controller reads it), and the week it keeps.
#include "announcementhistory.h"
#include "clock.h"
#include "dayhistory.h"
#include "runnertestsupport.h"
#include "statefolder.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDate kMonday(2026, 12, 7);

AnnouncedLine line(const char* time, const char* text, AnnouncedLine::Kind kind, const QDate& day = kMonday)
{
    return {day, QTime::fromString(QString::fromLatin1(time), QStringLiteral("H:mm")), QString::fromUtf8(text), kind};
}

QDateTime at(int h, int m, const QDate& day = kMonday) { return QDateTime(day, QTime(h, m)); }

// The day's file as "h:mm text state h:mm" lines.
QStringList recorded(const QString& folder, const QDate& day = kMonday)
{
    int damaged = 0;
    QStringList lines;
    for (const HistoryRecord& r : parseHistory(readFileBytes(historyFilePath(folder, day)), &damaged)) {
        lines.append(QStringLiteral("%1 %2 %3 %4")
                         .arg(r.time.toString(QStringLiteral("H:mm")), r.text, historyStateName(r.state),
                              r.at.isValid() ? r.at.toString(QStringLiteral("H:mm")) : QStringLiteral("-")));
    }
    EXPECT_EQ(damaged, 0);
    return lines;
}

// The permission bits of a file or folder.
unsigned modeOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

} // namespace

TEST(RunnerStateFolder, FollowsXdgStateHomeOnlyWhenItIsAnAbsolutePath)
{
    const QByteArray old = qgetenv("XDG_STATE_HOME");
    const QString home = QDir::homePath() + QStringLiteral("/.local/state/corvane");
    const struct {
        const char* value; // nullptr: unset
        QString folder;
    } rows[] = {
        {"/srv/state", QStringLiteral("/srv/state/corvane")},
        {nullptr, home},
        {"", home},
        {"state", home},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value ? row.value : "(unset)");
        if (row.value)
            qputenv("XDG_STATE_HOME", row.value);
        else
            qunsetenv("XDG_STATE_HOME");
        EXPECT_EQ(runnerStateFolder(), row.folder);
    }
    qputenv("XDG_STATE_HOME", old);
}

TEST(RunnerStateFolder, FilesAreWrittenWholeAndPrivateInPrivateFolders)
{
    TempFolder folder;
    const QString path = folder.path() + QStringLiteral("/state/corvane/snoozes.txt");
    QString reason;
    ASSERT_TRUE(writePrivateFile(path, "old\n", &reason)) << reason.toStdString();
    ASSERT_TRUE(writePrivateFile(path, "new\n", &reason)) << reason.toStdString();
    EXPECT_EQ(readFileBytes(path), QByteArray("new\n"));
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(folder.path() + QStringLiteral("/state")), 0700u);
    EXPECT_EQ(modeOf(folder.path() + QStringLiteral("/state/corvane")), 0700u);
    // A folder that cannot be made: the reason, and nothing written.
    folder.writeBytes(QStringLiteral("plain"), "x");
    EXPECT_FALSE(writePrivateFile(folder.file(QStringLiteral("plain/sub/file.txt")), "x", &reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("フォルダー"))) << reason.toStdString();
}

TEST(AnnouncementHistory, RecordsWhatBecameOfEachLine)
{
    using Kind = AnnouncedLine::Kind;
    const struct {
        const char* what;
        std::function<void(DayHistory&)> steps;
        QStringList file;
    } rows[] = {
        {"on time and late lines of one announcement",
         [](DayHistory& h) {
             h.recordShown({line("9:00", "定例", Kind::Late), line("9:30", "朝会", Kind::OnTime)}, at(9, 30));
         },
         {"9:00 定例 遅れて表示 9:30", "9:30 朝会 表示 9:30"}},
        {"a snooze replaces the line's last record, not another line's",
         [](DayHistory& h) {
             h.recordShown({line("9:00", "定例", Kind::OnTime)}, at(9, 0));
             h.recordShown({line("9:00", "別件", Kind::OnTime), line("9:00", "定例", Kind::Late)}, at(9, 2));
             h.recordShown({line("9:30", "定例", Kind::OnTime)}, at(9, 30));
             h.recordSnoozed({line("9:00", "定例", Kind::OnTime)}, at(9, 37));
         },
         {"9:00 定例 表示 9:00", "9:00 別件 表示 9:02", "9:00 定例 再通知 9:37", "9:30 定例 表示 9:30"}},
        {"a snooze shown on time says when, shown late says so",
         [](DayHistory& h) {
             h.recordShown({line("9:00", "定例", Kind::OnTime), line("9:10", "朝会", Kind::OnTime)}, at(9, 0));
             h.recordSnoozed({line("9:00", "定例", Kind::OnTime), line("9:10", "朝会", Kind::OnTime)}, at(9, 5));
             h.recordShown({line("9:00", "定例", Kind::Snoozed)}, at(9, 6));
             h.recordShown({line("9:10", "朝会", Kind::SnoozedLate)}, at(9, 40));
         },
         {"9:00 定例 再通知 9:06", "9:10 朝会 遅れて表示 9:40"}},
        {"missed entries add a record, a missed snooze replaces its own",
         [](DayHistory& h) {
             h.recordMissed(line("7:00", "体操", Kind::Late));
             h.recordShown({line("9:00", "定例", Kind::OnTime)}, at(9, 0));
             h.recordMissed(line("9:00", "定例", Kind::Snoozed));
             h.recordMissed(line("9:00", "定例", Kind::Late));
         },
         {"7:00 体操 見逃し -", "9:00 定例 見逃し -", "9:00 定例 見逃し -"}},
        {"a snooze of a line with no record adds one",
         [](DayHistory& h) { h.recordSnoozed({line("9:00", "定例", Kind::OnTime)}, at(9, 5)); },
         {"9:00 定例 再通知 9:05"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        const ScopedClock clock([] { return at(9, 0); });
        DayHistory history(folder.path());
        row.steps(history);
        EXPECT_EQ(recorded(folder.path()), row.file);
        EXPECT_EQ(modeOf(historyFilePath(folder.path(), kMonday)), 0600u);
    }
}

TEST(AnnouncementHistory, EachLineGoesToTheFileOfItsOwnDay)
{
    TempFolder folder;
    const ScopedClock clock([] { return at(0, 5, kMonday.addDays(1)); });
    DayHistory history(folder.path());
    history.recordShown({line("23:58", "月曜分", AnnouncedLine::Kind::Late),
                         line("0:05", "火曜分", AnnouncedLine::Kind::OnTime, kMonday.addDays(1))},
                        at(0, 5, kMonday.addDays(1)));
    EXPECT_EQ(recorded(folder.path()), QStringList{"23:58 月曜分 遅れて表示 0:05"});
    EXPECT_EQ(recorded(folder.path(), kMonday.addDays(1)), QStringList{"0:05 火曜分 表示 0:05"});
}

TEST(AnnouncementHistory, AWeekIsKeptAndOlderDaysGo)
{
    TempFolder folder;
    for (int back = 0; back <= 9; ++back)
        folder.writeBytes(QFileInfo(historyFilePath(folder.path(), kMonday.addDays(-back))).fileName(), "");
    folder.writeBytes(QStringLiteral("snoozes.txt"), "");
    folder.writeBytes(QStringLiteral("corvane_110.log"), "");
    for (const char* other : {"announced-notaday.txt", "announcxd-2026-11-01.txt", "announced-2026-11-01.log"})
        folder.writeBytes(QString::fromLatin1(other), "");
    // The first record of a day clears out what is older than a week.
    const ScopedClock clock([] { return at(9, 0); });
    DayHistory history(folder.path());
    history.recordShown({line("9:00", "定例", AnnouncedLine::Kind::OnTime)}, at(9, 0));
    QStringList kept = QDir(folder.path()).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(kept, (QStringList{"announced-2026-11-01.log", "announced-2026-12-01.txt", "announced-2026-12-02.txt",
                                 "announced-2026-12-03.txt", "announced-2026-12-04.txt", "announced-2026-12-05.txt",
                                 "announced-2026-12-06.txt", "announced-2026-12-07.txt", "announced-notaday.txt",
                                 "announcxd-2026-11-01.txt", "corvane_110.log", "snoozes.txt"}));
}

TEST(AnnouncementHistory, AHistoryThatCannotBeWrittenIsLoggedAndNothingStops)
{
    TempFolder folder;
    folder.writeBytes(QStringLiteral("file"), "x");
    const ScopedClock clock([] { return at(9, 0); });
    // Its folder is a file: nothing can be written there.
    DayHistory history(folder.file(QStringLiteral("file")));
    StderrCapture log;
    history.recordShown({line("9:00", "定例", AnnouncedLine::Kind::OnTime)}, at(9, 0));
    const QStringList lines = log.lines();
    EXPECT_EQ(lines.filter(QStringLiteral("お知らせの履歴")).size(), 1) << lines.join(u'\n').toStdString();
}

TEST(AnnouncementHistory, AFileIsReadAsFarAsItMakesSense)
{
    const struct {
        const char* what;
        QByteArray bytes;
        QList<HistoryRecord> records;
        int damaged;
    } rows[] = {
        {"every state",
         formatHistory({{QTime(9, 0), "a", HistoryState::Shown, QTime(9, 0)},
                        {QTime(9, 1), "b", HistoryState::ShownLate, QTime(9, 30)},
                        {QTime(9, 2), "c\td", HistoryState::Snoozed, QTime(9, 7)},
                        {QTime(9, 3), "", HistoryState::Missed, QTime()}}),
         {{QTime(9, 0), "a", HistoryState::Shown, QTime(9, 0)},
          {QTime(9, 1), "b", HistoryState::ShownLate, QTime(9, 30)},
          {QTime(9, 2), "c\td", HistoryState::Snoozed, QTime(9, 7)},
          {QTime(9, 3), "", HistoryState::Missed, QTime()}},
         0},
        {"damaged lines between good ones",
         "9:00\t表示\t9:00\ta\n9:00\t表示\t9:00\n25:00\t表示\t9:00\tx\n9:00\t済み\t9:00\tx\n9:00\t表示\tnine\tx\n"
         "\xff\xfe\n7:00\t見逃し\t\tb\n",
         {{QTime(9, 0), "a", HistoryState::Shown, QTime(9, 0)}, {QTime(7, 0), "b", HistoryState::Missed, QTime()}},
         5},
        {"empty", "", {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        int damaged = -1;
        EXPECT_EQ(parseHistory(row.bytes, &damaged), row.records);
        EXPECT_EQ(damaged, row.damaged);
    }
}
