// The entry store against real settings files: load, the save's sorting, renumbering and
// deleting, the dated-entry clean-up, and what happens with values others wrote meanwhile.
#include <gtest/gtest.h>

#include "clock.h"
#include "entrystore.h"
#include "profile.h"
#include "settingsfilefixture.h"
#include "textcodec.h"

#include <QFile>

using namespace corvane;
using namespace corvane::editor;

namespace {

const QString kDate = QStringLiteral("指定日");
const QString kTime = QStringLiteral("時刻");
const QString kText = QStringLiteral("内容");

class EntryStoreTest : public test::SettingsFileFixture {
protected:
    void putEntry(const QString& key, const QString& date, const QString& time, const QString& text)
    {
        put(kDate, key, date);
        put(kTime, key, time);
        put(kText, key, text);
    }

    EntryStore m_store;
};

TEST_F(EntryStoreTest, SortsRenumbersAndDeletesOnlyKeysThatHeldATime)
{
    putEntry(QStringLiteral("5-3"), QStringLiteral("水曜日"), QStringLiteral("12:00"), QStringLiteral("昼"));
    putEntry(QStringLiteral("5-7"), QStringLiteral("水曜日"), QStringLiteral("9:00"), QStringLiteral("朝"));
    put(kText, QStringLiteral("5-5"), QStringLiteral("時刻のない値"));
    put(QStringLiteral("その他"), QStringLiteral("キー"), QStringLiteral("残る"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    EXPECT_EQ(m_store.entryTime(5, 3), QStringLiteral("12:00"));
    EXPECT_EQ(m_store.countEntries(5), 2);

    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kTime, QStringLiteral("5-0")), QStringLiteral("9:00"));
    EXPECT_EQ(read(kText, QStringLiteral("5-0")), QStringLiteral("朝"));
    EXPECT_EQ(read(kTime, QStringLiteral("5-1")), QStringLiteral("12:00"));
    EXPECT_EQ(read(kDate, QStringLiteral("5-1")), QStringLiteral("水曜日"));
    for (const QString& section : {kDate, kTime, kText}) {
        EXPECT_FALSE(exists(section, QStringLiteral("5-3"))) << section.toStdString();
        EXPECT_FALSE(exists(section, QStringLiteral("5-7"))) << section.toStdString();
    }
    EXPECT_EQ(read(kText, QStringLiteral("5-5")), QStringLiteral("時刻のない値"));
    EXPECT_EQ(read(QStringLiteral("その他"), QStringLiteral("キー")), QStringLiteral("残る"));
}

TEST_F(EntryStoreTest, SortKeepsSlotOrderForEqualTimesAndIgnoresDates)
{
    m_store.setEntryTime(0, 0, QStringLiteral("10:00"));
    m_store.setEntryText(0, 0, QStringLiteral("先"));
    m_store.setEntryTime(0, 4, QStringLiteral("10:00"));
    m_store.setEntryText(0, 4, QStringLiteral("後"));
    m_store.setEntryTime(0, 9, QStringLiteral("9:59:30"));
    m_store.setEntryText(0, 9, QStringLiteral("最初"));
    m_store.setEntryDate(2, 0, QStringLiteral("2099/1/1"));
    m_store.setEntryTime(2, 0, QStringLiteral("9:00"));
    m_store.setEntryDate(2, 1, QStringLiteral("2099/1/2"));
    m_store.setEntryTime(2, 1, QStringLiteral("8:00"));
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());

    EXPECT_EQ(read(kText, QStringLiteral("0-0")), QStringLiteral("最初"));
    EXPECT_EQ(read(kText, QStringLiteral("0-1")), QStringLiteral("先"));
    EXPECT_EQ(read(kText, QStringLiteral("0-2")), QStringLiteral("後"));
    EXPECT_EQ(read(kDate, QStringLiteral("2-0")), QStringLiteral("2099/1/2"));
    EXPECT_EQ(read(kDate, QStringLiteral("2-1")), QStringLiteral("2099/1/1"));
}

TEST_F(EntryStoreTest, SingleEntryMovesToZeroAndClearedCategoryLosesItsKeys)
{
    putEntry(QStringLiteral("6-5"), QStringLiteral("木曜日"), QStringLiteral("7:15"), QStringLiteral("一件"));
    putEntry(QStringLiteral("10-0"), QStringLiteral("祝日"), QStringLiteral("8:00"), QStringLiteral("a"));
    putEntry(QStringLiteral("10-1"), QStringLiteral("祝日"), QStringLiteral("9:00"), QStringLiteral("b"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    m_store.setEntryTime(10, 0, {});
    m_store.setEntryText(10, 0, {});
    m_store.setEntryTime(10, 1, {});
    m_store.setEntryText(10, 1, {});
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());

    EXPECT_EQ(read(kTime, QStringLiteral("6-0")), QStringLiteral("7:15"));
    EXPECT_FALSE(exists(kTime, QStringLiteral("6-5")));
    for (const QString& section : {kDate, kTime, kText}) {
        EXPECT_FALSE(exists(section, QStringLiteral("10-0")));
        EXPECT_FALSE(exists(section, QStringLiteral("10-1")));
    }
}

TEST_F(EntryStoreTest, TimeIsRequiredForEveryText)
{
    put(QStringLiteral("表示"), QStringLiteral("時間"), QStringLiteral("10"));
    const QByteArray before = m_folder.readBytes(QStringLiteral("corvane設定.ini"));
    m_store.setEntryTime(0, 0, QStringLiteral("9:00"));
    m_store.setEntryText(0, 0, QStringLiteral("時刻あり"));
    m_store.setEntryText(3, 2, QStringLiteral("時刻なし"));
    m_store.setEntryText(4, 0, QStringLiteral("これも"));

    const SaveOutcome outcome = m_store.SaveEntries(path());
    EXPECT_EQ(outcome.kind, SaveOutcome::MissingTime);
    EXPECT_EQ(outcome.message, QStringLiteral("「月曜日」の3番の登録に時刻の記入がありません"));
    EXPECT_EQ(m_folder.readBytes(QStringLiteral("corvane設定.ini")), before);

    // A time without a text is an entry.
    m_store.setEntryText(3, 2, {});
    m_store.setEntryText(4, 0, {});
    m_store.setEntryTime(4, 0, QStringLiteral("6:00"));
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kTime, QStringLiteral("4-0")), QStringLiteral("6:00"));
}

TEST_F(EntryStoreTest, PastDatedEntriesLeaveAtLoadWithoutAGap)
{
    putEntry(QStringLiteral("2-0"), QStringLiteral("2026/12/6"), QStringLiteral("9:00"), QStringLiteral("昨日"));
    putEntry(QStringLiteral("2-1"), QStringLiteral("2026/12/8"), QStringLiteral("9:00"), QStringLiteral("明日"));
    putEntry(QStringLiteral("2-2"), QStringLiteral("2026/12/1"), QStringLiteral("9:00"), QStringLiteral("先週"));
    putEntry(QStringLiteral("2-3"), QStringLiteral("2026/12/7"), QStringLiteral("18:00"), QStringLiteral("今日"));
    ASSERT_TRUE(m_store.LoadEntries(path()));

    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("明日"));
    EXPECT_EQ(read(kText, QStringLiteral("2-1")), QStringLiteral("今日"));
    EXPECT_EQ(read(kDate, QStringLiteral("2-1")), QStringLiteral("2026/12/7"));
    EXPECT_FALSE(exists(kDate, QStringLiteral("2-2")));
    EXPECT_FALSE(exists(kDate, QStringLiteral("2-3")));
    EXPECT_EQ(m_store.entryText(2, 0), QStringLiteral("明日"));
    EXPECT_EQ(m_store.entryText(2, 1), QStringLiteral("今日"));
    EXPECT_EQ(m_store.countEntries(2), 2);

    // Saving what was loaded rewrites the same keys and deletes nothing more.
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("明日"));
    EXPECT_EQ(read(kText, QStringLiteral("2-1")), QStringLiteral("今日"));
}

TEST_F(EntryStoreTest, DatedEntryAddedWhileEditingSurvivesTheSave)
{
    putEntry(QStringLiteral("2-0"), QStringLiteral("2026/12/9"), QStringLiteral("10:00"), QStringLiteral("既存"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    // The controller's quick add takes the first free number while the editor is open.
    putEntry(QStringLiteral("2-1"), QStringLiteral("2026/12/8"), QStringLiteral("7:00"), QStringLiteral("追加"));
    m_store.setEntryDate(2, 1, QStringLiteral("2026/12/10"));
    m_store.setEntryTime(2, 1, QStringLiteral("12:00"));
    m_store.setEntryText(2, 1, QStringLiteral("編集中"));

    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("追加"));
    EXPECT_EQ(read(kText, QStringLiteral("2-1")), QStringLiteral("既存"));
    EXPECT_EQ(read(kText, QStringLiteral("2-2")), QStringLiteral("編集中"));
    EXPECT_FALSE(exists(kDate, QStringLiteral("2-3")));

    // Later saves of the same session: another add beyond the saved range, then the user
    // deletes the own entries. Every other program's entry stays, once.
    putEntry(QStringLiteral("2-7"), QStringLiteral("2026/12/8"), QStringLiteral("8:00"), QStringLiteral("後から"));
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    m_store.setEntryTime(2, 0, {});
    m_store.setEntryText(2, 0, {});
    m_store.setEntryTime(2, 1, {});
    m_store.setEntryText(2, 1, {});
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("追加"));
    EXPECT_EQ(read(kText, QStringLiteral("2-1")), QStringLiteral("後から"));
    for (const char* gone : {"2-2", "2-3", "2-7"})
        EXPECT_FALSE(exists(kDate, QString::fromLatin1(gone))) << gone;
}

TEST_F(EntryStoreTest, EntriesClearedAfterAnEarlierSaveLeaveTheFile)
{
    putEntry(QStringLiteral("0-0"), QStringLiteral("毎日"), QStringLiteral("9:00"), QStringLiteral("朝"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    m_store.setEntryTime(0, 1, QStringLiteral("10:00"));
    m_store.setEntryText(0, 1, QStringLiteral("一時"));
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    m_store.setEntryTime(0, 1, {});
    m_store.setEntryText(0, 1, {});
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_FALSE(exists(kTime, QStringLiteral("0-1")));
}

TEST_F(EntryStoreTest, CleanUpThatCouldNotBeWrittenRenumbersNothing)
{
    putEntry(QStringLiteral("2-0"), QStringLiteral("2026/12/6"), QStringLiteral("9:00"), QStringLiteral("昨日"));
    putEntry(QStringLiteral("2-1"), QStringLiteral("2026/12/8"), QStringLiteral("9:00"), QStringLiteral("明日"));
    QFile::setPermissions(path(), QFileDevice::ReadOwner);
    QString error;
    EXPECT_FALSE(m_store.LoadEntries(path(), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(m_store.countEntries(2), 1);

    QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("明日"));
    EXPECT_FALSE(exists(kDate, QStringLiteral("2-1")));
}

TEST_F(EntryStoreTest, TextTheFileCannotHoldIsRefusedAndNothingWritten)
{
    putEntry(QStringLiteral("0-0"), QStringLiteral("毎日"), QStringLiteral("9:00"), QStringLiteral("朝"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    m_store.setEntryTime(0, 0, QStringLiteral("10:00"));
    m_store.setEntryText(3, 0, QStringLiteral("会議😀"));
    m_store.setEntryTime(3, 0, QStringLiteral("11:00"));
    const SaveOutcome outcome = m_store.SaveEntries(path());
    EXPECT_EQ(outcome.kind, SaveOutcome::Unstorable);
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("「😀」"))) << qPrintable(outcome.message);
    EXPECT_EQ(read(kTime, QStringLiteral("0-0")), QStringLiteral("9:00"));
}

TEST_F(EntryStoreTest, LongValuesArriveCutAtACharacterBoundary)
{
    put(kTime, QStringLiteral("0-0"), QStringLiteral("9:00"));
    put(kText, QStringLiteral("0-0"), QString(150, QChar(u'あ')));
    put(kTime, QStringLiteral("0-1"), QStringLiteral("9:30"));
    put(kText, QStringLiteral("0-1"), QStringLiteral("a") + QString(150, QChar(u'い')));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    EXPECT_EQ(m_store.entryText(0, 0), QString(127, QChar(u'あ')));
    EXPECT_EQ(cp932Length(m_store.entryText(0, 1)), 253);
    EXPECT_TRUE(m_store.entryText(0, 1).endsWith(QChar(u'い')));
}

TEST_F(EntryStoreTest, UnreadableValuesAreSkippedAndKeptInTheFile)
{
    putEntry(QStringLiteral("3-0"), QStringLiteral("月曜日"), QStringLiteral("朝"), QStringLiteral("壊れた"));
    putEntry(QStringLiteral("3-1"), QStringLiteral("月曜日"), QStringLiteral("9:00"), QStringLiteral("正しい"));
    putEntry(QStringLiteral("2-0"), QStringLiteral("いつか"), QStringLiteral("9:00"), QStringLiteral("日付なし"));
    putEntry(QStringLiteral("2-1"), QStringLiteral("2026/12/9"), QStringLiteral("9:00"), QStringLiteral("予定"));
    ASSERT_TRUE(m_store.LoadEntries(path()));
    EXPECT_TRUE(m_store.entryTime(3, 0).isEmpty());
    EXPECT_TRUE(m_store.entryText(3, 0).isEmpty());
    EXPECT_EQ(m_store.countEntries(3), 1);
    EXPECT_EQ(m_store.countEntries(2), 1);

    m_store.setEntryTime(3, 5, QStringLiteral("8:00"));
    m_store.setEntryText(3, 5, QStringLiteral("新規"));
    ASSERT_TRUE(m_store.SaveEntries(path()).ok());
    EXPECT_EQ(read(kTime, QStringLiteral("3-0")), QStringLiteral("朝"));
    EXPECT_EQ(read(kText, QStringLiteral("3-1")), QStringLiteral("新規"));
    EXPECT_EQ(read(kText, QStringLiteral("3-2")), QStringLiteral("正しい"));
    EXPECT_EQ(read(kDate, QStringLiteral("2-0")), QStringLiteral("いつか"));
    EXPECT_EQ(read(kText, QStringLiteral("2-1")), QStringLiteral("予定"));
}

TEST_F(EntryStoreTest, AFailedWriteIsReported)
{
    m_store.setEntryTime(0, 0, QStringLiteral("9:00"));
    const QString unreachable = m_folder.file(QStringLiteral("無い/corvane設定.ini"));
    const SaveOutcome outcome = m_store.SaveEntries(unreachable);
    EXPECT_EQ(outcome.kind, SaveOutcome::WriteFailed);
    EXPECT_TRUE(outcome.message.startsWith(QStringLiteral("設定ファイルに書き込めませんでした")));
}

TEST_F(EntryStoreTest, MoreThanFiftyDatedEntriesAreRefusedNotDropped)
{
    ASSERT_TRUE(m_store.LoadEntries(path()));
    for (int n = 0; n < 50; ++n) {
        m_store.setEntryDate(2, n, QStringLiteral("2026/12/20"));
        m_store.setEntryTime(2, n, QStringLiteral("9:00"));
    }
    putEntry(QStringLiteral("2-0"), QStringLiteral("2026/12/8"), QStringLiteral("7:00"), QStringLiteral("追加"));
    const SaveOutcome outcome = m_store.SaveEntries(path());
    EXPECT_EQ(outcome.kind, SaveOutcome::TooManyDated);
    EXPECT_EQ(read(kText, QStringLiteral("2-0")), QStringLiteral("追加"));
}

TEST(EntryChecks, DateAndTimeBoxes)
{
    ScopedClock clock([] { return QDateTime(QDate(2026, 12, 7), QTime(23, 59)); });
    EXPECT_EQ(checkDateText(QString()), QString());
    EXPECT_EQ(checkDateText(QStringLiteral("2026/12/7")), QString());
    EXPECT_EQ(checkDateText(QStringLiteral("２０２７/１/２")), QString());
    EXPECT_EQ(checkDateText(QStringLiteral("2026/12/6")), QStringLiteral("本日以後の予定を登録してください"));
    EXPECT_EQ(checkDateText(QStringLiteral("abc")), QStringLiteral("yyyy/m/d 形式で記入してください"));
    EXPECT_EQ(checkDateText(QStringLiteral("2026/2/30")), QStringLiteral("yyyy/m/d 形式で記入してください"));
    EXPECT_EQ(checkTimeText(QString()), QString());
    EXPECT_EQ(checkTimeText(QStringLiteral("9:30")), QString());
    EXPECT_EQ(checkTimeText(QStringLiteral("21:05")), QString());
    EXPECT_EQ(checkTimeText(QStringLiteral("9:30:00")), QString());
    EXPECT_EQ(checkTimeText(QStringLiteral("25:00")), QStringLiteral("h:mm 形式で記入してください"));
    EXPECT_EQ(checkTimeText(QStringLiteral("abc")), QStringLiteral("h:mm 形式で記入してください"));
}

} // namespace
