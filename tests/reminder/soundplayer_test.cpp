// The WAVE player, made by the real sound plugin beside the programs: starts playback and
// returns at once; a missing or unplayable file is reported once on stderr and never stops the
// announcement; a missing plugin leaves announcements without sound. An announcement's sound
// plays to its end after its window has closed, then its output is released.
#include <gtest/gtest.h>

#include "processmemory.h"
#include "announcementsound.h"
#include "emptyfilesettings.h"
#include "fakeannouncementtime.h"
#include "reminderannouncer.h"
#include "reminderwindow.h"
#include "soundoutput.h"
#include "stderrcapture.h"
#include "tempfolder.h"
#include "wavebytes.h"

#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace corvane;
using namespace corvane::test;

namespace {

// The sound server's streams of a kind (playing: "sink-inputs", recording: "source-outputs"),
// or -1 when it cannot be asked.
int pactlCount(const char* kind)
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("list"), QStringLiteral("short"), QString::fromLatin1(kind)});
    if (!pactl.waitForFinished(5000) || pactl.exitCode() != 0)
        return -1;
    const QByteArray out = pactl.readAllStandardOutput().trimmed();
    return out.isEmpty() ? 0 : int(out.count('\n')) + 1;
}

int sinkInputs() { return pactlCount("sink-inputs"); }

// What the sound server's default output plays, recorded from its monitor as 8-kHz mono.
class OutputRecorder {
public:
    OutputRecorder()
    {
        m_parecord.start(QStringLiteral("parecord"),
                         {QStringLiteral("--raw"), QStringLiteral("--device=@DEFAULT_MONITOR@"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                          QStringLiteral("--rate=8000"), QStringLiteral("--latency-msec=20")});
        // A sound that starts while the server is still setting the recording up is partly
        // missing from it: the recording counts once the server lists it.
        m_recording =
            m_parecord.waitForStarted(5000) && QTest::qWaitFor([] { return pactlCount("source-outputs") == 1; }, 5000);
    }
    ~OutputRecorder()
    {
        m_parecord.kill();
        m_parecord.waitForFinished(5000);
    }
    bool isRecording() const { return m_recording; }

    // Takes in what has been recorded so far; true once a sound has been heard and then
    // `silence` seconds of silence.
    bool heardSoundThenSilence(double silence)
    {
        m_bytes += m_parecord.readAllStandardOutput();
        const QList<bool> blocks = loudBlocks();
        const qsizetype lastLoud = blocks.lastIndexOf(true);
        return lastLoud >= 0 && (blocks.size() - 1 - lastLoud) * kBlockSeconds >= silence;
    }
    // The recording in 10-ms blocks, "#" loud and "." silent.
    QString pattern() const
    {
        QString out;
        for (bool loud : loudBlocks())
            out += loud ? QLatin1Char('#') : QLatin1Char('.');
        return out;
    }
    // How long the recording was not silent.
    double soundSeconds() const { return loudBlocks().count(true) * kBlockSeconds; }

private:
    static constexpr int kBlockFrames = 80; // 10 ms
    static constexpr double kBlockSeconds = 0.01;

    QList<bool> loudBlocks() const
    {
        QList<bool> blocks;
        const auto* samples = reinterpret_cast<const qint16*>(m_bytes.constData());
        const qsizetype frames = m_bytes.size() / 2;
        for (qsizetype start = 0; start + kBlockFrames <= frames; start += kBlockFrames) {
            int peak = 0;
            for (qsizetype i = start; i < start + kBlockFrames; ++i)
                peak = std::max(peak, std::abs(int(samples[i])));
            blocks.append(peak > 1000);
        }
        return blocks;
    }

    QProcess m_parecord;
    bool m_recording = false;
    QByteArray m_bytes;
};

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

TEST(SoundPlayer, UnplayableFileIsReportedOnceAndPlaysNothing)
{
    const QByteArray fmt16 = fmtChunk(1, 1, 22050, 16);
    const QByteArray data = chunk("data", pcm(100, 1, 22050, 16));
    const struct Row {
        const char* what;
        QByteArray bytes;
    } rows[] = {
        {"chunks of junk", QByteArray("RIFF\x10\0\0\0WAVEjunkjunkjunk", 24)},
        {"header cut short", QByteArray("RIFF\x24\0\0\0WAVEfm", 14)},
        {"fmt chunk of 10 bytes", riff(chunk("fmt ", fmt16.mid(8, 10)))},
        {"no data chunk", riff(fmt16 + chunk("LIST", "INFOISFT"))},
        {"fmt chunk claiming 4 GB", riff(chunk("fmt ", fmt16.mid(8), 0xfffffff0u) + data)},
        {"no channels", riff(fmtChunk(1, 0, 22050, 16) + data)},
        {"compressed samples", riff(fmtChunk(2, 1, 22050, 4) + data)},
        {"12-bit samples", riff(fmtChunk(1, 1, 22050, 12) + data)},
        {"no samples", riff(fmt16 + chunk("data", {}))},
        {"a rate of 100 MHz", riff(fmtChunk(1, 1, 100'000'000, 16) + data)},
        {"a rate of 7,999 Hz", riff(fmtChunk(1, 1, 7'999, 16) + data)},
        {"a rate of 384,001 Hz", riff(fmtChunk(1, 1, 384'001, 16) + data)},
        {"9 channels", riff(fmtChunk(1, 9, 22050, 16) + data)},
        {"a block align of 4 for 16-bit mono", riff(fmtChunk(1, 1, 22050, 16, 4) + data)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        folder.writeBytes(QStringLiteral("broken.wav"), row.bytes);
        StderrCapture capture;
        auto player = soundOutput(folder.file(QStringLiteral("broken.wav")));
        ASSERT_TRUE(player);
        for (int i = 0; i < 3; ++i) {
            player->play();
            EXPECT_FALSE(player->isPlaying());
        }
        const QStringList all = capture.lines();
        const QStringList ours = all.filter(QStringLiteral("WAVEファイルを鳴らせません"));
        ASSERT_EQ(ours.size(), 1) << all.join('\n').toStdString();
        EXPECT_TRUE(ours[0].contains(QStringLiteral("broken.wav")));
        // Refused for the file itself, not for want of an output.
        EXPECT_FALSE(ours[0].contains(QStringLiteral("音の出力先がない"))) << ours[0].toStdString();
    }
}

TEST(SoundPlayer, PlayReturnsAtOnce)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(3000));
    auto player = soundOutput(folder.file(QStringLiteral("chime.wav")));
    ASSERT_TRUE(player);
    QTest::qWait(200); // loading happens ahead of the first announcement
    player->play();
    player->play();
    // A 3-second file still playing when play() has returned: play() did not wait for its end.
    EXPECT_TRUE(player->isPlaying());
}

TEST(SoundPlayer, NoAudioOutputIsReportedOnce)
{
    if (!QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "this machine has an audio output";
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(300));
    StderrCapture capture;
    auto player = soundOutput(folder.file(QStringLiteral("chime.wav")));
    ASSERT_TRUE(player);
    for (int i = 0; i < 3; ++i)
        player->play();
    EXPECT_FALSE(player->isPlaying());
    const QStringList all = capture.lines();
    ASSERT_EQ(all.filter(QStringLiteral("音の出力先がない")).size(), 1) << all.join('\n').toStdString();
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
        EXPECT_TRUE(player->isPlaying());
        QTest::qWait(300);
        // The sound server sees one stream: the file really reaches the audio output, and a
        // repetition replaces the previous one.
        EXPECT_EQ(sinkInputs(), 1);
    }
    // Released (the runner closes), the output stops at once.
    player.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 0; }, 5000));
}

TEST(SoundPlayer, PlaysEveryUncompressedLayoutAndClosesTheOutputAfterwards)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    const struct Row {
        const char* what;
        QByteArray bytes;
        bool askWhilePlaying = true; // long enough to ask the sound server while it plays
    } rows[] = {
        {"16-bit mono", waveFile(300)},
        {"8-bit stereo at 11025 Hz after an odd-sized chunk",
         riff(chunk("LIST", "INFOabc") + fmtChunk(1, 2, 11025, 8) + chunk("data", pcm(300, 2, 11025, 8)))},
        {"32-bit, the samples before the format",
         riff(chunk("data", pcm(300, 1, 48000, 32)) + fmtChunk(1, 1, 48000, 32))},
        {"32-bit float stereo", riff(fmtChunk(3, 2, 44100, 32) + chunk("data", pcm(300, 2, 44100, 32, true)))},
        {"data chunk claiming more than the file holds",
         riff(fmtChunk(1, 1, 22050, 16) + chunk("data", pcm(300, 1, 22050, 16), 10'000'000))},
        {"20 ms, less than an output's buffer", waveFile(20), false},
        {"24-bit stereo", riff(fmtChunk(1, 2, 44100, 24) + chunk("data", pcm(300, 2, 44100, 24)))},
        {"extensible, 24-bit mono at 8000 Hz",
         riff(extensibleFmtChunk(1, 1, 8000, 24) + chunk("data", pcm(300, 1, 8000, 24)))},
        {"extensible, 32-bit float stereo",
         riff(extensibleFmtChunk(3, 2, 48000, 32) + chunk("data", pcm(300, 2, 48000, 32, true)))},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TempFolder folder;
        folder.writeBytes(QStringLiteral("chime.wav"), row.bytes);
        StderrCapture capture;
        auto player = soundOutput(folder.file(QStringLiteral("chime.wav")));
        ASSERT_TRUE(player);
        player->play();
        EXPECT_TRUE(player->isPlaying());
        if (row.askWhilePlaying) {
            EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 1; }, 5000));
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 5000));
        // An open output wakes the process many times a second: it goes once the file has played.
        EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 0; }, 5000));
        EXPECT_TRUE(capture.lines().isEmpty()) << capture.lines().join('\n').toStdString();
    }
}

TEST(SoundPlayer, FileAtTheHighestRateAndChannelsPlaysInAFewMegabytes)
{
    // 24 MiB of silence, two seconds at the most an output takes: once read ahead whole (four
    // seconds' worth), held twice, ahead and in the output.
    TempFolder folder;
    const qint64 dataBytes = 24 * kMiB;
    const QByteArray fmt = fmtChunk(3, 8, 384'000, 32);
    const QString path = folder.file(QStringLiteral("long.wav"));
    folder.writeBytes(QStringLiteral("long.wav"),
                      "RIFF" + le(4 + fmt.size() + 8 + dataBytes, 4) + "WAVE" + fmt + "data" + le(dataBytes, 4));
    QFile file(path);
    ASSERT_TRUE(file.resize(file.size() + dataBytes));
    {
        // The pages the multimedia libraries touch on their first use are not the file's.
        folder.writeBytes(QStringLiteral("chime.wav"), waveFile(20));
        auto chime = soundOutput(folder.file(QStringLiteral("chime.wav")));
        ASSERT_TRUE(chime);
        chime->play();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !chime->isPlaying(); }, 5000));
    }
    ASSERT_TRUE(resetPeakResident());
    const qint64 before = peakResidentBytes();
    StderrCapture capture;
    auto player = soundOutput(path);
    ASSERT_TRUE(player);
    player->play();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !player->isPlaying(); }, 10000));
    EXPECT_LT(peakResidentBytes() - before, 16 * kMiB);
    // Played, or (on a machine without an output) not refused for its layout.
    for (const QString& line : capture.lines())
        EXPECT_TRUE(line.contains(QStringLiteral("音の出力先がない"))) << line.toStdString();
}

TEST(SoundPlayer, AnnouncementSoundPlaysOnOneOutputAndReleasesItWhenSilent)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    TempFolder folder;
    folder.writeBytes(QStringLiteral("chime.wav"), waveFile(3000));
    AnnouncementSound sound(folder.file(QStringLiteral("chime.wav")), QStringLiteral(CORVANE_PROGRAMS_DIR));
    sound.prepare();
    EXPECT_TRUE(sound.holdsOutput());
    sound.release(); // silent: at once
    EXPECT_FALSE(sound.holdsOutput());
    EXPECT_FALSE(sound.isPlayingOut());

    sound.play(); // not made ready: made at the play
    sound.release();
    EXPECT_TRUE(sound.isPlayingOut());
    sound.prepare(); // the next getting ready opens no second output over it
    EXPECT_TRUE(sound.isPlaying());
    sound.play(); // a newer announcement's sound, from its beginning; kept until it closes
    EXPECT_FALSE(sound.isPlayingOut());
    sound.release();
    EXPECT_TRUE(sound.isPlayingOut());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !sound.holdsOutput(); }, 10000));
    EXPECT_FALSE(sound.isPlayingOut());
    EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 0; }, 5000));
}

namespace {

// Settings that play `soundMs` of sound once, in a window shown for `displaySeconds`.
DisplaySettings longSoundSettings(const TempFolder& folder, int soundMs, int displaySeconds)
{
    folder.writeBytes(QStringLiteral("long.wav"), waveFile(soundMs));
    DisplaySettings s = corvane::test::emptyFileSettings();
    s.displaySeconds = QString::number(displaySeconds);
    s.sound = QStringLiteral("1");
    s.soundPath = folder.file(QStringLiteral("long.wav"));
    s.soundRepeat = QStringLiteral("1");
    return s;
}

} // namespace

TEST(SoundPlayer, LongSoundPlaysToItsEndAfterTheWindowHasClosed)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    TempFolder folder;
    const DisplaySettings s = longSoundSettings(folder, 3000, 1);
    corvane::test::FakeAnnouncementTime time(QDateTime(QDate(2026, 12, 7), QTime(8, 55)));
    ReminderAnnouncer announcer(s, &time, QStringLiteral(CORVANE_PROGRAMS_DIR));
    announcer.setReady(true);
    // An output made ready and then not needed (no start is near any more) is released with
    // its playback thread.
    const qsizetype readyThreads = QDir(QStringLiteral("/proc/self/task")).count();
    announcer.setReady(false);
    EXPECT_LT(QDir(QStringLiteral("/proc/self/task")).count(), readyThreads);
    announcer.setReady(true);
    OutputRecorder recorder;
    ASSERT_TRUE(recorder.isRecording());

    announcer.announce(QStringLiteral("会議\n"));
    time.advance(10'000); // the display time and the wait after the sound are over
    EXPECT_FALSE(announcer.window()->isVisible());
    EXPECT_TRUE(announcer.isAnnouncing());
    announcer.setReady(false); // nothing is released while the sound plays on
    EXPECT_NE(announcer.window(), nullptr);

    EXPECT_TRUE(
        QTest::qWaitFor([&] { return recorder.heardSoundThenSilence(0.5) && !announcer.isAnnouncing(); }, 15000));
    // The whole file reached the output, not only what played while the window was shown.
    EXPECT_GE(recorder.soundSeconds(), 2.7) << recorder.pattern().toStdString();
    announcer.setReady(false);
    EXPECT_EQ(announcer.window(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 0; }, 5000));
}

TEST(SoundPlayer, ClosingTheReminderFromItsMenuStopsTheSound)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    TempFolder folder;
    const DisplaySettings s = longSoundSettings(folder, 8000, 60);
    corvane::test::FakeAnnouncementTime time(QDateTime(QDate(2026, 12, 7), QTime(8, 55)));
    ReminderAnnouncer announcer(s, &time, QStringLiteral(CORVANE_PROGRAMS_DIR));
    announcer.announce(QStringLiteral("会議\n"));
    ASSERT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 1; }, 5000));

    emit announcer.window()->closeRequested();
    EXPECT_FALSE(announcer.window()->isVisible());
    EXPECT_FALSE(announcer.isAnnouncing());
    // Silent long before the 8-second sound would have ended.
    EXPECT_TRUE(QTest::qWaitFor([] { return sinkInputs() == 0; }, 3000));
}

TEST(SoundPlayer, SamplesPastTheReadAheadReachTheOutputAtTheirLevel)
{
    if (QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "no audio output on this machine (reminder_sound_server_test provides one)";
    // 24-bit stereo at 384 kHz, of which the read-ahead holds a third of a second: 0.4 s of
    // silence, then 0.1 s at a quarter of full scale, which reaches the output only when the
    // file is read (and widened) as it plays.
    const int rate = 384'000;
    QByteArray samples(rate * 4 / 10 * 6, '\0');
    for (int i = 0; i < rate / 10 * 2; ++i)
        samples += le(0x200000, 3);
    TempFolder folder;
    folder.writeBytes(QStringLiteral("late.wav"), riff(fmtChunk(1, 2, rate, 24) + chunk("data", samples)));
    QProcess recorder;
    recorder.start(QStringLiteral("parec"), {QStringLiteral("--device=corvane_null.monitor"),
                                             QStringLiteral("--format=float32le"), QStringLiteral("--channels=1"),
                                             QStringLiteral("--rate=48000"), QStringLiteral("--latency-msec=20")});
    ASSERT_TRUE(recorder.waitForStarted());
    ASSERT_TRUE(QTest::qWaitFor([] { return pactlCount("source-outputs") == 1; }, 5000));
    auto player = soundOutput(folder.file(QStringLiteral("late.wav")));
    ASSERT_TRUE(player);
    player->play();
    QByteArray recorded;
    float loudest = 0;
    const auto heard = [&] {
        recorded += recorder.readAllStandardOutput();
        const qsizetype whole = recorded.size() / 4 * 4;
        for (qsizetype at = 0; at < whole; at += 4) {
            float level;
            std::memcpy(&level, recorded.constData() + at, 4);
            loudest = std::max(loudest, std::abs(level));
        }
        recorded.remove(0, whole);
        return loudest >= 0.2f;
    };
    EXPECT_TRUE(QTest::qWaitFor(heard, 10000)) << "loudest sample heard: " << loudest;
    EXPECT_LT(loudest, 0.3f);
    recorder.kill();
    recorder.waitForFinished();
}
