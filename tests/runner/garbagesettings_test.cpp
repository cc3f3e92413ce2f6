// A hand-edited settings file may hold anything in any key the runner reads: the runner must
// start, keep checking and keep announcing the entries the garbage did not touch.
#include "announcer.h"
#include "clock.h"
#include "runnerapp.h"
#include "runnercontrol.h"
#include "runnertestsupport.h"
#include "settingspath.h"
#include "tempfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace corvane;
using namespace corvane::test;

namespace {

const QDate kMonday(2026, 12, 7);

class CountingAnnouncer : public Announcer {
public:
    explicit CountingAnnouncer(int& count) : m_count(count) {}
    void announce(const QString&) override { ++m_count; }

private:
    int& m_count;
};

// A full, valid file: an entry at 9:00 in every category, a holiday, abbreviations, every
// display and sound key, old derived lists.
QList<SettingsKey> validSettings()
{
    QList<SettingsKey> keys;
    for (int c = 0; c <= 10; ++c) {
        const QString key = QStringLiteral("%1-0").arg(c);
        keys.append({QStringLiteral("指定日"), key, c == 2 ? QStringLiteral("2026/12/7") : QString()});
        keys.append({QStringLiteral("時刻"), key, QStringLiteral("9:00")});
        keys.append({QStringLiteral("内容"), key, QStringLiteral("項目%1").arg(c)});
    }
    keys.append({QStringLiteral("祝日"), QStringLiteral("登録日1"), QStringLiteral("2026/12/8")});
    for (int k = 0; k < 10; ++k) {
        keys.append({QStringLiteral("略称登録"), QStringLiteral("略称%1").arg(k), QStringLiteral("項目%1").arg(k)});
        keys.append({QStringLiteral("略称登録"), QStringLiteral("内容%1").arg(k), QStringLiteral("全文%1").arg(k)});
    }
    const QList<std::pair<const char16_t*, const char16_t*>> plain = {{u"表示", u"時間"},
                                                                      {u"事前表示", u"時間"},
                                                                      {u"経済指標", u"取得"},
                                                                      {u"経済指標", u"作成日"},
                                                                      {u"時差", u"ET"},
                                                                      {u"表示フォーム", u"色"},
                                                                      {u"表示フォーム", u"TOP"},
                                                                      {u"表示フォーム", u"LEFT"},
                                                                      {u"表示フォーム", u"HEIGHT"},
                                                                      {u"表示フォーム", u"WIDTH"},
                                                                      {u"表示フォーム", u"FNAME"},
                                                                      {u"表示フォーム", u"FSIZE"},
                                                                      {u"表示フォーム", u"FBOLD"},
                                                                      {u"表示フォーム", u"FITAL"},
                                                                      {u"表示フォーム", u"FUNDE"},
                                                                      {u"表示フォーム", u"FSTRI"},
                                                                      {u"表示フォーム", u"FCOLO"},
                                                                      {u"サウンド", u"音"},
                                                                      {u"サウンド", u"音パス"},
                                                                      {u"サウンド", u"音回数"},
                                                                      {u"サウンド", u"音声"},
                                                                      {u"サウンド", u"音声TXT"},
                                                                      {u"サウンド", u"音声SH0"},
                                                                      {u"本日の予定", u"時刻0"},
                                                                      {u"本日の予定", u"内容0"},
                                                                      {u"翌日の予定", u"時刻0"},
                                                                      {u"事前表示", u"遅延上限"}};
    const QStringList values = {"10",
                                "0",
                                "0",
                                "2026/12/1",
                                "14",
                                "-2147483633",
                                "0",
                                "0",
                                "1455",
                                "2970",
                                "ＭＳ Ｐゴシック",
                                "10.5",
                                "0",
                                "0",
                                "0",
                                "0",
                                "-2147483630",
                                "1",
                                "/nonexistent/a.wav",
                                "2",
                                "0",
                                "",
                                "",
                                "8:00",
                                "old",
                                "8:00",
                                "60"};
    for (qsizetype i = 0; i < plain.size(); ++i)
        keys.append({QString::fromUtf16(plain[i].first), QString::fromUtf16(plain[i].second), values[i]});
    return keys;
}

QStringList garbageValues()
{
    return {QStringLiteral("abc"),        QStringLiteral("-1"),       QStringLiteral("99999999999999999999"),
            QStringLiteral("１２：３０"), QStringLiteral("9:00:99"),  QStringLiteral("2026/2/30"),
            QStringLiteral("1e309"),      QStringLiteral("-0.5"),     QStringLiteral("=[x]="),
            QStringLiteral("/:"),         QString(150, QChar(u'あ')), QStringLiteral("\"\"")};
}

// The table writes the file a thousand times; memory-backed files keep it quick where the
// disk syncs each atomic replace.
QString fastTempBase()
{
    const QString shm = QStringLiteral("/dev/shm");
    return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm + QStringLiteral("/corvane-XXXXXX") : QString();
}

} // namespace

TEST(GarbageSettings, AnyValueInAnyKeyLeavesTheRunnerChecking)
{
    RuntimeFolder runtime;
    const QList<SettingsKey> valid = validSettings();
    const QStringList garbage = garbageValues();
    for (qsizetype row = 0; row < valid.size(); ++row) {
        for (const QString& value : garbage) {
            SCOPED_TRACE(
                (valid[row].section + QLatin1Char('/') + valid[row].key + QStringLiteral(" = ") + value).toStdString());
            const QString base = fastTempBase();
            QTemporaryDir folder = base.isEmpty() ? QTemporaryDir() : QTemporaryDir(base);
            ASSERT_TRUE(folder.isValid());
            setProgramsFolderOverride(folder.path());
            QList<SettingsKey> keys = valid;
            keys[row].value = value;
            writeSettings(SettingsPath(), keys);

            QDateTime now(kMonday, QTime(8, 58, 0));
            ScopedClock clock([&now] { return now; });
            int announcements = 0;
            RunnerApp runner([&announcements](const DisplaySettings&) {
                return std::make_unique<CountingAnnouncer>(announcements);
            });
            ASSERT_TRUE(runner.Main());
            for (; now.time() < QTime(9, 2, 0); now = now.addSecs(1))
                runner.tick();
            // Every category has its own 9:00 entry: one bad key cannot silence them all.
            EXPECT_GE(announcements, 1);
            // Two days on, the runner rebuilds from the same file and goes on.
            now = QDateTime(kMonday.addDays(2), QTime(9, 0, 0));
            runner.tick();
            EXPECT_EQ(runner.schedule().buildDate(), kMonday.addDays(2));
            setProgramsFolderOverride({});
        }
    }
}

TEST(GarbageSettings, RunnerProcessWithGarbageEverywhereKeepsRunning)
{
    RuntimeFolder runtime;
    for (const QString& value : {QStringLiteral("abc"), QStringLiteral("-99999"), QString(200, QChar(u'ｱ'))}) {
        SCOPED_TRACE(value.toStdString());
        TempFolder folder;
        QList<SettingsKey> keys = validSettings();
        for (SettingsKey& k : keys)
            k.value = value;
        // One good entry after the garbage: its announcement shows the runner went through 9:00.
        keys.append({QStringLiteral("時刻"), QStringLiteral("0-1"), QStringLiteral("9:00:01")});
        keys.append({QStringLiteral("内容"), QStringLiteral("0-1"), QStringLiteral("確認")});
        writeSettings(folder.file(QStringLiteral("corvane設定.ini")), keys);
        RunnerProcess runner(folder.path());
        runner.start(QStringLiteral("2026-12-07 08:59:58"));
        ASSERT_TRUE(runner.waitForArmed()) << runner.readStderr().toStdString();
        EXPECT_TRUE(waitUntil(
            [&] { return QString::fromUtf8(runner.readStderr()).contains(QStringLiteral("お知らせ: 確認")); }, 8000))
            << runner.readStderr().toStdString();
        EXPECT_EQ(runner.process().state(), QProcess::Running) << runner.readStderr().toStdString();
        EXPECT_EQ(StopRunner(), RunnerStop::Stopped);
        EXPECT_TRUE(runner.waitForExit());
        EXPECT_EQ(runner.process().exitStatus(), QProcess::NormalExit);
    }
}
