// The settings file under real processes: concurrent writers lose nothing, readers never take
// the file for missing while it is replaced, and a writer killed at any moment leaves the old
// file or the new one, never a torn one.
#include "generationstate.h"
#include "profile.h"
#include "tempfolder.h"
#include "textcodec.h"

#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

using namespace corvane;
using corvane::test::TempFolder;
using namespace Qt::StringLiterals;

namespace {

const QString kTool = QStringLiteral(PROFILE_TOOL);

// The whole file as the library writes generation g over the hand-written start.
QByteArray expectedGeneration(const QByteArray& start, int generation)
{
    QString body = u"[世代]\r\n"_s;
    for (int key = 0; key < test::kGenerationKeys; ++key)
        body += u"k%1=%2\r\n"_s.arg(key).arg(test::generationValue(generation, key));
    body += u"番号=%1\r\n"_s.arg(generation);
    return start + toCp932(body);
}

} // namespace

TEST(ProfileProcesses, ThreeConcurrentWritersLoseNoKey)
{
    TempFolder folder;
    const QString path = folder.file(u"corvane設定.ini"_s);
    folder.writeBytes(u"corvane設定.ini"_s, toCp932(u"; 手で書いた注釈\r\n[未知]\r\nx=1\r\n"_s));
    std::vector<std::unique_ptr<QProcess>> writers;
    for (const QString& prefix : {u"A"_s, u"B"_s, u"C"_s}) {
        auto writer = std::make_unique<QProcess>();
        writer->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer->start(kTool, {u"keys"_s, path, prefix, u"500"_s});
        writers.push_back(std::move(writer));
    }
    // Meanwhile a reader in a tight loop always finds the file that is being replaced.
    int reads = 0, missed = 0;
    const auto running = [&] {
        return std::any_of(writers.begin(), writers.end(),
                           [](const auto& w) { return !w->waitForFinished(0) && w->state() != QProcess::NotRunning; });
    };
    while (running()) {
        for (int i = 0; i < 50; ++i, ++reads)
            missed += profile::readString(path, u"未知"_s, u"x"_s).isEmpty();
    }
    EXPECT_GT(reads, 0);
    EXPECT_EQ(missed, 0) << "of " << reads << " reads";
    for (auto& writer : writers) {
        ASSERT_TRUE(writer->state() == QProcess::NotRunning || writer->waitForFinished(240000));
        EXPECT_EQ(writer->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(writer->exitCode(), 0);
    }
    const QList<ProfileLine> lines = profile::readSection(path, u"並行"_s);
    EXPECT_EQ(lines.size(), 1500);
    for (const QString& prefix : {u"A"_s, u"B"_s, u"C"_s})
        for (int i = 0; i < 500; ++i)
            ASSERT_EQ(profile::readString(path, u"並行"_s, u"%1-%2"_s.arg(prefix).arg(i)), QString::number(i))
                << prefix.toStdString() << i;
    EXPECT_TRUE(folder.readBytes(u"corvane設定.ini"_s).startsWith(toCp932(u"; 手で書いた注釈\r\n[未知]\r\nx=1\r\n"_s)));
}

TEST(ProfileProcesses, WriterKilledAtAnyMomentLeavesOldOrNewFile)
{
    TempFolder folder;
    const QString path = folder.file(u"corvane設定.ini"_s);
    const QByteArray start = toCp932(u"; 手で書いた注釈\r\n[未知]\r\nx=1\r\n"_s);
    folder.writeBytes(u"corvane設定.ini"_s, start);
    {
        ProfileTransaction first(path);
        test::writeGeneration(first, 0);
        ASSERT_TRUE(first.commit());
    }
    int generation = 0;
    int changed = 0;
    for (int round = 0; round < 100; ++round) {
        QProcess writer;
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(kTool, {u"generations"_s, path, QString::number(generation + 1)});
        ASSERT_TRUE(writer.waitForStarted());
        // Start-up takes a few milliseconds; the range covers kills before, during and
        // between writes.
        QThread::usleep(QRandomGenerator::global()->bounded(2000, 200000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        ASSERT_TRUE(writer.waitForFinished());

        const QString number = profile::readString(path, u"世代"_s, u"番号"_s);
        bool ok = false;
        const int now = number.toInt(&ok);
        ASSERT_TRUE(ok) << "round " << round << ": no generation number";
        ASSERT_GE(now, generation) << "round " << round;
        ASSERT_EQ(folder.readBytes(u"corvane設定.ini"_s), expectedGeneration(start, now)) << "round " << round;
        changed += now != generation;
        generation = now;
    }
    // The lock of a killed writer does not stay behind.
    EXPECT_TRUE(profile::writeString(path, u"未知"_s, u"x"_s, u"2"_s));
    // At most the one reused temporary file is left beside the settings file.
    const QStringList left = QDir(folder.path()).entryList(QDir::Files);
    EXPECT_LE(left.size(), 3) << left.join(u' ').toStdString();
    std::printf("kill rounds that found a newer generation: %d of 100\n", changed);
}

// A lock file of another user, left 0644 by an earlier version: while that user's program
// holds it, a save fails at once and names it; free, it is used; one we may not even open is
// named too. Savers: root and a second user (the settings file is theirs).
TEST(ProfileProcesses, LockFileOfAnotherUserIsNamedWhenItBlocksAndUsedWhenFree)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "acting as other users needs root";
    TempFolder folder;
    const QString path = folder.file(u"corvane設定.ini"_s);
    const QString lockPath = path + u".lock"_s;
    folder.writeBytes(u"corvane設定.ini"_s, "[A]\r\nx=0\r\n");
    folder.writeBytes(u"corvane設定.ini.lock"_s, {});
    const auto owned = [](const QString& file, uid_t uid, mode_t mode) {
        return ::chown(QFile::encodeName(file).constData(), uid, uid) == 0
               && ::chmod(QFile::encodeName(file).constData(), mode) == 0;
    };
    ASSERT_TRUE(owned(folder.path(), 65533, 0755) && owned(path, 65533, 0644) && owned(lockPath, 65534, 0644));

    const auto asUser = [](uid_t uid) {
        const QString id = QString::number(uid);
        return QStringList{u"--reuid="_s + id, u"--regid="_s + id, u"--clear-groups"_s};
    };
    QProcess holder;
    holder.start(u"setpriv"_s,
                 asUser(65534) + QStringList{u"flock"_s, lockPath, u"sh"_s, u"-c"_s, u"echo held; read x"_s});
    ASSERT_TRUE(holder.waitForReadyRead(10000)) << holder.readAllStandardError().toStdString();

    enum class Lock { Held, Free, Unreadable };
    struct Row {
        const char* what;
        Lock lock;
        uid_t saver;
        const char16_t* refusal; // empty: the save succeeds
    } rows[] = {
        {"held, root saves", Lock::Held, 0, u"別のユーザー（nobody）のもので、そのユーザーのプログラムが使用中です"},
        {"held, the file's user saves", Lock::Held, 65533,
         u"別のユーザー（nobody）のもので、そのユーザーのプログラムが使用中です"},
        {"free, root saves", Lock::Free, 0, u""},
        {"free, the file's user saves", Lock::Free, 65533, u""},
        {"0600 of a user without a name", Lock::Unreadable, 65533,
         u"別のユーザー（ユーザー番号 65532）のもので、開く権限がありません"},
    };
    int saves = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.lock != Lock::Held && holder.state() != QProcess::NotRunning) {
            holder.closeWriteChannel();
            ASSERT_TRUE(holder.waitForFinished(10000));
        }
        if (row.lock == Lock::Unreadable) {
            ASSERT_TRUE(owned(lockPath, 65532, 0600));
        }
        QProcess saver;
        const QString prefix = u"save%1"_s.arg(++saves);
        const QStringList save{u"keys"_s, path, prefix, u"1"_s};
        if (row.saver == 0)
            saver.start(kTool, save);
        else
            saver.start(u"setpriv"_s, asUser(row.saver) + QStringList{kTool} + save);
        ASSERT_TRUE(saver.waitForFinished(60000));
        const QString message = QString::fromUtf8(saver.readAllStandardError());
        const QString refusal = QString::fromUtf16(row.refusal);
        EXPECT_EQ(saver.exitCode(), refusal.isEmpty() ? 0 : 1) << message.toStdString();
        if (!refusal.isEmpty()) {
            EXPECT_TRUE(message.contains(u"ロックファイル "_s + lockPath) && message.contains(refusal))
                << message.toStdString();
        }
        EXPECT_EQ(profile::readString(path, u"並行"_s, prefix + u"-0"_s), refusal.isEmpty() ? u"0"_s : QString());
    }
}
