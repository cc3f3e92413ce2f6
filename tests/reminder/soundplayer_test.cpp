// The WAVE player, made by the real sound plugin beside the programs: starts playback and
// returns at once; a missing or unplayable file is reported once on stderr and never stops the
// announcement; a missing plugin leaves announcements without sound.
#include <gtest/gtest.h>

#include "soundoutput.h"
#include "stderrcapture.h"
#include "tempfolder.h"

#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>
#include <QtEndian>

using namespace corvane;
using corvane::test::StderrCapture;
using corvane::test::TempFolder;

namespace {

// A short mono 16-bit PCM WAVE file: a 440 Hz tone.
QByteArray waveFile(int milliseconds)
{
    const int rate = 22050;
    const int samples = rate * milliseconds / 1000;
    QByteArray pcm(samples * 2, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian<qint16>(qint16((i / 25) % 2 ? 8000 : -8000), pcm.data() + 2 * i);
    QByteArray out;
    auto u32 = [&](quint32 v) { char b[4]; qToLittleEndian(v, b); out.append(b, 4); };
    auto u16 = [&](quint16 v) { char b[2]; qToLittleEndian(v, b); out.append(b, 2); };
    out += "RIFF"; u32(36 + pcm.size()); out += "WAVEfmt ";
    u32(16); u16(1); u16(1); u32(rate); u32(rate * 2); u16(2); u16(16);
    out += "data"; u32(pcm.size()); out += pcm;
    return out;
}

std::unique_ptr<SoundOutput> soundOutput(const QString& path)
{
    static SoundPlugin plugin(QStringLiteral(CORVANE_PROGRAMS_DIR));
    std::unique_ptr<SoundOutput> output = plugin.make(path);
    EXPECT_NE(output, nullptr) << "no sound plugin in " CORVANE_PROGRAMS_DIR;
    return output;
}

} // namespace

TEST(SoundPlayer, MissingPluginIsReportedOnceAndGivesNoOutput)
{
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(100));
    StderrCapture capture;
    SoundPlugin plugin(folder.path());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(plugin.make(folder.file(QStringLiteral("chime.wav"))), nullptr);
    const QStringList lines = capture.lines();
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("音を鳴らさずに")));
}

TEST(SoundPlayer, MissingFileIsReportedOnceAndPlaysNothing)
{
    TempFolder folder;
    StderrCapture capture;
    auto player = soundOutput(folder.file(QStringLiteral("ない.wav")));
    ASSERT_TRUE(player);
    for (int i = 0; i < 3; ++i)
        player->play();
    const QStringList lines = capture.lines();
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("ない.wav")));
}

TEST(SoundPlayer, UnplayableFileIsReportedOnce)
{
    TempFolder folder;
    folder.writeBytes(QStringLiteral("broken.wav"), QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24));
    StderrCapture capture;
    auto player = soundOutput(folder.file(QStringLiteral("broken.wav")));
    ASSERT_TRUE(player);
    for (int i = 0; i < 3; ++i) {
        player->play();
        QTest::qWait(300);
    }
    // Qt Multimedia adds its own warning; ours is the one line of the runner's log.
    const QStringList all = capture.lines();
    const QStringList ours = all.filter(QStringLiteral("WAVEファイルを鳴らせません"));
    ASSERT_EQ(ours.size(), 1) << all.join('\n').toStdString();
    EXPECT_TRUE(ours[0].contains(QStringLiteral("broken.wav")));
}

TEST(SoundPlayer, PlayReturnsAtOnce)
{
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(3000));
    auto player = soundOutput(folder.file(QStringLiteral("chime.wav")));
    ASSERT_TRUE(player);
    QTest::qWait(200); // loading happens ahead of the first announcement
    QElapsedTimer elapsed;
    elapsed.start();
    player->play();
    player->play();
    // A 3-second file: returning long before it would have ended proves play() does not wait.
    EXPECT_LT(elapsed.elapsed(), 1500);
}

TEST(SoundPlayer, PlaysOnTheAudioOutputAndRestartsEachRepetition)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(2000));
    auto player = soundOutput(folder.file(QStringLiteral("chime.wav")));
    ASSERT_TRUE(player);
    for (int repetition = 0; repetition < 2; ++repetition) {
        player->play();
        QTRY_VERIFY_WITH_TIMEOUT(player->isPlaying(), 3000);
        QTest::qWait(300);
    }
    // The sound server sees the stream: the file really reaches the audio output.
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"),
                                          QStringLiteral("sink-inputs")});
    if (pactl.waitForFinished(5000) && pactl.exitCode() == 0) {
        EXPECT_FALSE(pactl.readAllStandardOutput().trimmed().isEmpty());
    }
    QTRY_VERIFY_WITH_TIMEOUT(!player->isPlaying(), 5000);
}
