// Many operations under one lock and one replace: what the transaction reads, what it writes,
// and what it keeps of changes made by others meanwhile.
#include "profile.h"
#include "stderrcapture.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sys/stat.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::TempFolder;
using namespace Qt::StringLiterals;

namespace {

class Transaction : public ::testing::Test {
protected:
    QString path() const { return m_folder.file(u"corvane設定.ini"_s); }
    void put(const QString& text) { m_folder.writeBytes(u"corvane設定.ini"_s, toCp932(text)); }
    QString text() const { return fromCp932(m_folder.readBytes(u"corvane設定.ini"_s)); }
    TempFolder m_folder;
};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST_F(Transaction, ReadsSeeTheSnapshotPlusItsOwnPendingChanges)
{
    put(u"[時刻]\r\n0-0=9:00\r\n[祝日]\r\n登録日1=2026/1/1\r\n"_s);
    ProfileTransaction t(path());
    profile::writeString(path(), u"時刻"_s, u"0-1"_s, u"10:00"_s); // someone else, after the snapshot
    EXPECT_EQ(t.readString(u"時刻"_s, u"0-1"_s), QString());
    EXPECT_TRUE(t.hasKey(u"時刻"_s, u"0-0"_s));

    t.writeString(u"時刻"_s, u"0-0"_s, u"8:00"_s);
    t.writeString(u"内容"_s, u"0-0"_s, u""_s);
    t.deleteSection(u"祝日"_s);
    EXPECT_EQ(t.readString(u"時刻"_s, u"0-0"_s), u"8:00"_s);
    EXPECT_TRUE(t.hasKey(u"内容"_s, u"0-0"_s)); // present, though empty
    EXPECT_TRUE(t.readSection(u"祝日"_s).isEmpty());
    // Nothing reached the file yet.
    EXPECT_EQ(profile::readString(path(), u"時刻"_s, u"0-0"_s), u"9:00"_s);
}

TEST_F(Transaction, CommitAppliesEverythingOnceAndKeepsOthersChanges)
{
    put(u"; kept\r\n[時刻]\r\n2-0=9:00\r\n[指定日]\r\n2-0=2026/12/7\r\n"_s);
    ProfileTransaction t(path());
    for (int category = 0; category <= 10; ++category)
        for (int n = 0; n < 3; ++n)
            t.writeString(u"時刻"_s, u"%1-%2"_s.arg(category).arg(n),
                          u"%1:%2"_s.arg(category).arg(n * 10, 2, 10, QLatin1Char('0')));
    t.deleteKey(u"指定日"_s, u"2-0"_s);
    t.writeSection(u"祝日"_s, {{u"登録日1"_s, u"2026/12/23"_s}});
    // The Controller adds a dated entry while the editor holds its transaction.
    ASSERT_TRUE(profile::writeString(path(), u"指定日"_s, u"2-1"_s, u"2026/12/8"_s));

    QString error;
    ASSERT_TRUE(t.commit(&error)) << error.toStdString();
    EXPECT_EQ(profile::readString(path(), u"時刻"_s, u"10-2"_s), u"10:20"_s);
    EXPECT_EQ(profile::readString(path(), u"時刻"_s, u"2-0"_s), u"2:00"_s);
    EXPECT_EQ(profile::readString(path(), u"指定日"_s, u"2-0"_s), QString());
    EXPECT_EQ(profile::readString(path(), u"指定日"_s, u"2-1"_s), u"2026/12/8"_s);
    EXPECT_EQ(profile::readString(path(), u"祝日"_s, u"登録日1"_s), u"2026/12/23"_s);
    EXPECT_TRUE(text().startsWith(u"; kept\r\n[時刻]\r\n2-0=2:00\r\n0-0=0:00\r\n"_s));
    // After the commit the transaction reads what it wrote; a second commit has nothing to do.
    EXPECT_EQ(t.readString(u"指定日"_s, u"2-1"_s), u"2026/12/8"_s);
    EXPECT_TRUE(t.commit());
}

// A text editor saves without the lock: its save between the locked read and the replace is
// read again and decided on again, never replaced by what was decided on the file before it.
TEST_F(Transaction, ASaveWithoutTheLockAfterTheReadIsReadAgainNotReplaced)
{
    const std::function<void(const QString&)> inPlace = [&](const QString& saved) { put(saved); };
    const std::function<void(const QString&)> byRename = [&](const QString& saved) {
        m_folder.writeBytes(u"corvane設定.ini~"_s, toCp932(saved));
        ASSERT_EQ(std::rename(QFile::encodeName(path() + u"~"_s).constData(), QFile::encodeName(path()).constData()),
                  0);
    };
    for (const auto& [style, save] : {std::pair{"in place", inPlace}, std::pair{"by rename", byRename}}) {
        SCOPED_TRACE(style);
        put(u"[内容]\r\n0-0=朝会\r\n"_s);
        int decisions = 0;
        test::StderrCapture log;
        QString error;
        ASSERT_TRUE(updateProfile(
            path(),
            [&](ProfileTransaction& tx) {
                if (++decisions == 1)
                    save(u"[内容]\r\n0-0=朝会と昼会\r\n"_s);
                tx.writeString(u"本日の予定"_s, u"内容0"_s, tx.readString(u"内容"_s, u"0-0"_s));
                return true;
            },
            &error))
            << error.toStdString();
        EXPECT_EQ(decisions, 2);
        EXPECT_EQ(text(), u"[内容]\r\n0-0=朝会と昼会\r\n[本日の予定]\r\n内容0=朝会と昼会\r\n"_s);
        EXPECT_TRUE(log.lines().join(u'\n').contains(u"読み直してから書き込みます"_s));
    }

    // A file that changes before every replace is given up on after ten reads; the last save stays.
    int decisions = 0;
    QString error;
    EXPECT_FALSE(updateProfile(
        path(),
        [&](ProfileTransaction& tx) {
            put(u"[内容]\r\n0-0=%1\r\n"_s.arg(QString(++decisions, u'会')));
            tx.writeString(u"本日の予定"_s, u"内容0"_s, u"古い読み込みによる値"_s);
            return true;
        },
        &error));
    EXPECT_EQ(decisions, 10);
    EXPECT_TRUE(error.contains(u"書き換えられ続けている"_s)) << error.toStdString();
    EXPECT_EQ(text(), u"[内容]\r\n0-0=%1\r\n"_s.arg(QString(10, u'会')));
}

TEST_F(Transaction, WithoutCommitOrWithNothingRecordedNothingIsWritten)
{
    {
        ProfileTransaction t(path());
        t.writeString(u"A"_s, u"x"_s, u"1"_s);
    }
    EXPECT_FALSE(QFile::exists(path()));
    ProfileTransaction empty(path());
    EXPECT_TRUE(empty.commit());
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(Transaction, OneRefusedOperationFailsTheWholeCommit)
{
    put(u"[A]\r\nx=1\r\n"_s);
    ProfileTransaction t(path());
    t.writeString(u"A"_s, u"x"_s, u"2"_s);
    t.writeString(u"A"_s, u"y"_s, u"line\nbreak"_s);
    QString error;
    EXPECT_FALSE(t.commit(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(text(), u"[A]\r\nx=1\r\n"_s);
}

// What updateProfile writes: nothing when the decision changes nothing (the file keeps its
// inode and time, so the runner's restarts do not touch it), and nothing when the decision
// tries to commit by itself (it would wait on the lock updateProfile holds).
TEST_F(Transaction, UpdateWritesOnlyARealChangeAndOnlyItself)
{
    const struct Row {
        const char* name;
        std::function<bool(ProfileTransaction&)> decide;
        bool ok;
        const char16_t* after;
    } rows[] = {
        {"the same value again",
         [](ProfileTransaction& tx) {
             tx.writeString(u"A"_s, u"x"_s, u"1"_s);
             return true;
         },
         true, u"[A]\r\nx=1\r\n"},
        {"a new value",
         [](ProfileTransaction& tx) {
             tx.writeString(u"A"_s, u"x"_s, u"2"_s);
             return true;
         },
         true, u"[A]\r\nx=2\r\n"},
        {"a commit inside the decision",
         [](ProfileTransaction& tx) {
             tx.writeString(u"A"_s, u"x"_s, u"2"_s);
             EXPECT_FALSE(tx.commit());
             return true;
         },
         false, u"[A]\r\nx=1\r\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        put(u"[A]\r\nx=1\r\n"_s);
        struct stat before = {};
        ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &before), 0);
        QString error;
        EXPECT_EQ(updateProfile(path(), row.decide, &error), row.ok) << error.toStdString();
        EXPECT_EQ(text(), QString::fromUtf16(row.after));
        struct stat after = {};
        ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &after), 0);
        const bool untouched = before.st_ino == after.st_ino && before.st_mtim.tv_nsec == after.st_mtim.tv_nsec
                               && before.st_mtim.tv_sec == after.st_mtim.tv_sec;
        EXPECT_EQ(untouched, QString::fromUtf16(row.after) == u"[A]\r\nx=1\r\n"_s);
    }
}

TEST_F(Transaction, FailedCommitReportsAndKeepsTheOldFile)
{
    ProfileTransaction t(m_folder.file(u"missing/corvane設定.ini"_s));
    t.writeString(u"A"_s, u"x"_s, u"1"_s);
    QString error;
    EXPECT_FALSE(t.commit(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QDir(m_folder.file(u"missing"_s)).exists());
}

// A disk that fills up part way through the new file (a small tmpfs stands for it; mounting
// needs root): the commit says so, the old file stays byte for byte, no partial file is left.
TEST(FullDisk, AWriteCutShortKeepsTheOldFileAndReportsIt)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small file system needs root";
    TempFolder folder;
    const QString disk = folder.file(u"disk"_s);
    ASSERT_TRUE(QDir().mkpath(disk));
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH); });

    const QString path = disk + u"/corvane設定.ini"_s;
    ASSERT_TRUE(profile::writeString(path, u"A"_s, u"x"_s, u"古い値"_s));
    const QByteArray before = readAll(path);

    // Fill the disk, then give back 8 KiB: the new file below needs far more.
    QFile filler(disk + u"/filler"_s);
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, '\0');
    while (filler.write(block) == block.size()) {
    }
    ASSERT_TRUE(filler.resize(std::max<qint64>(0, filler.size() - 8192)));
    filler.close();
    const QStringList entriesBefore = QDir(disk).entryList(QDir::Files | QDir::Hidden);

    ProfileTransaction t(path);
    for (int i = 0; i < 400; ++i)
        t.writeString(u"B"_s, u"k%1"_s.arg(i), QString(100, u'x'));
    QString error;
    EXPECT_FALSE(t.commit(&error));
    EXPECT_TRUE(error.contains(u"ディスクの空きが足りません"_s)) << error.toStdString();
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden), entriesBefore);
}
