#pragma once
// Plays one WAVE file's samples on an audio output from a thread of its own, which sleeps but
// for the few moments it has work: writing the samples (all at once when the output's buffer
// takes them), and noticing the end to close the output.
//
// The output runs a 20-ms timer for as long as it is open, which has nothing to do for samples
// written ahead; on the thread that made it, it would wake the process fifty times a second.
// This thread never runs its event loop, so that timer never fires.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

#include "wavelayout.h"

class QAudioSink;
class QIODevice;
class QThread;

namespace corvane {

class PlaybackThread {
public:
    struct Samples {
        QString path;
        WaveLayout layout;
        // The first samples as the output takes them, read ahead; the rest of a long file is
        // read while it plays.
        QByteArray head;
    };
    // `noOutput` is called on the playback thread, once per play that finds the output will not
    // open.
    PlaybackThread(const QAudioDevice& device, const QAudioFormat& format, Samples samples,
                   std::function<void()> noOutput);
    // Stops playback and releases the output.
    ~PlaybackThread();

    // Starts from the beginning, cutting off a play in progress; returns at once.
    void play();
    // From play() until the output has played the last sample.
    bool isPlaying() const;

private:
    void run();
    void start();
    // Writes what the output takes; false once all has been played (or the output failed).
    bool step();
    QByteArray readFromFile(qint64 from, qint64 length) const;
    void finish();

    const QAudioDevice m_device;
    const QAudioFormat m_format;
    Samples m_samples;
    const std::function<void()> m_noOutput;

    // Shared with the caller's thread.
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    quint64 m_playsAsked = 0;
    quint64 m_playsDone = 0;
    bool m_quit = false;

    // The playback thread's own, counted in the output's bytes.
    std::unique_ptr<QAudioSink> m_sink;
    QIODevice* m_input = nullptr;
    qint64 m_written = 0;
    qint64 m_end = 0;
    QElapsedTimer m_started;

    std::unique_ptr<QThread> m_thread;
};

} // namespace corvane
