// The hand-off to speech programs with real processes: the text file's bytes and the command
// lines started as programs with their arguments, never through a shell.
#include <gtest/gtest.h>

#include "speech.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

using namespace corvane;
using corvane::test::StderrCapture;
using corvane::test::TempFolder;

namespace {

// A speech program stand-in: records its arguments, one per line, in the file named first.
QString writeRecorder(const TempFolder& folder, const QString& name = QStringLiteral("record.sh"))
{
    folder.writeBytes(name, "#!/bin/sh\n"
                            "out=\"$1\"; shift\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.part\"\n"
                            "mv \"$out.part\" \"$out\"\n");
    const QString path = folder.file(name);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

QStringList waitForRecord(const QString& path)
{
    QDeadlineTimer deadline(10'000);
    while (!QFileInfo::exists(path) && !deadline.hasExpired())
        QThread::msleep(10);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no record>")};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

const QString kMessage = QStringLiteral("9時の会議\n資料\uFF5E印刷\u2460\n");
// CP932: 0x8160 for the full-width tilde, 0x8740 for the circled one (NEC extension).
const QByteArray kRecord = QByteArray::fromHex("22398e9e82cc89ef8b630a8e9197bf816088f38dfc87400a220d0a");

} // namespace

TEST(SpeechText, RecordIsTheQuotedMessageWithCrLfInCp932)
{
    EXPECT_EQ(speechRecord(kMessage), kRecord);
    EXPECT_EQ(speechRecord(QString()), QByteArray("\"\"\r\n"));
}

TEST(SpeechHandOff, WritesTheTextFileAndStartsBothCommandSlots)
{
    TempFolder folder;
    const QString recorder = writeRecorder(folder);
    QDir(folder.path()).mkdir(QStringLiteral("音声 ソフト"));
    const QString spaced = writeRecorder(folder, QStringLiteral("音声 ソフト/record.sh"));
    const QString text = folder.file(QStringLiteral("読み上げ.txt"));
    // A longer old file must not leave its tail behind.
    folder.writeBytes(QStringLiteral("読み上げ.txt"), QByteArray(500, 'x'));
    const std::array<QString, 3> commands = {
        QStringLiteral("\"%1\" \"%2\" \"%3\" -v 2").arg(spaced, folder.file(QStringLiteral("slot0")), text),
        QString(),
        QStringLiteral("%1 %2 \"two words\" \"a;touch %3\" $HOME")
            .arg(recorder, folder.file(QStringLiteral("slot2")), folder.file(QStringLiteral("pwned"))),
    };

    EXPECT_EQ(handToSpeech(kMessage, text, commands), 2);

    EXPECT_EQ(test::readFileBytes(text), kRecord);
    EXPECT_EQ(waitForRecord(folder.file(QStringLiteral("slot0"))), (QStringList{text, "-v", "2"}));
    EXPECT_EQ(waitForRecord(folder.file(QStringLiteral("slot2"))),
              (QStringList{"two words", "a;touch " + folder.file(QStringLiteral("pwned")), "$HOME"}));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("pwned"))));
}

TEST(SpeechHandOff, WithoutATextPathOnlyTheCommandsRun)
{
    TempFolder folder;
    const QString recorder = writeRecorder(folder);
    const std::array<QString, 3> commands = {
        QString(), QStringLiteral("%1 %2 hello").arg(recorder, folder.file(QStringLiteral("slot1"))), QString()};
    EXPECT_EQ(handToSpeech(kMessage, QString(), commands), 1);
    EXPECT_EQ(waitForRecord(folder.file(QStringLiteral("slot1"))), QStringList{"hello"});
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2); // record.sh, slot1
}

TEST(SpeechHandOff, FailuresAreLoggedAndTheRestStillRuns)
{
    TempFolder folder;
    const QString recorder = writeRecorder(folder);
    const std::array<QString, 3> commands = {
        folder.file(QStringLiteral("no-such-program")),
        QStringLiteral("   "),
        QStringLiteral("%1 %2 still").arg(recorder, folder.file(QStringLiteral("slot2"))),
    };
    StderrCapture capture;
    const int started = handToSpeech(kMessage, folder.file(QStringLiteral("missing-dir/t.txt")), commands);
    const QStringList lines = capture.lines();

    EXPECT_EQ(started, 1);
    EXPECT_EQ(waitForRecord(folder.file(QStringLiteral("slot2"))), QStringList{"still"});
    ASSERT_EQ(lines.size(), 3) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("missing-dir/t.txt")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("no-such-program")));
    EXPECT_TRUE(lines[2].contains(QStringLiteral("音声SH1")));
}
