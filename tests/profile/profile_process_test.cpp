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
