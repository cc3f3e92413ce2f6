#include "playbackthread.h"

#include "samplereader.h"

#include <QAudioSink>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace corvane {

namespace {

// Once every sample is written, how often at most the output is asked whether it has played
// them: it reports its end only through events of the loop this thread does not run.
constexpr std::chrono::milliseconds kEndPoll{100};
// How long after its expected end a stream that never reports it is closed anyway.
constexpr qint64 kEndMarginMs = 5000;

qint64 wholeFrames(qint64 bytes, int bytesPerFrame) { return bytes - bytes % bytesPerFrame; }

} // namespace

PlaybackThread::PlaybackThread(const QAudioDevice& device, const QAudioFormat& format, Samples samples,
                               std::function<void()> noOutput)
    : m_device(device), m_format(format), m_samples(std::move(samples)), m_noOutput(std::move(noOutput)),
      m_end(m_samples.layout.outputBytes())
{
    m_thread.reset(QThread::create([this] { run(); }));
    m_thread->start();
}

PlaybackThread::~PlaybackThread()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread->wait();
}

void PlaybackThread::play()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_playsAsked;
    }
    m_wake.notify_one();
}

bool PlaybackThread::isPlaying() const
{
    std::lock_guard lock(m_mutex);
    return m_playsDone != m_playsAsked;
}

void PlaybackThread::run()
{
    // Made here, so that the output's timer belongs to this thread.
    m_sink = std::make_unique<QAudioSink>(m_device, m_format);
    // The whole head in the output's buffer, so that a short file is written in one go; no more
    // than the file, as an output starts playing only once its buffer is full.
    m_sink->setBufferSize(qMax<qint64>(m_samples.head.size(), m_samples.layout.outputBytesPerFrame()));
    quint64 current = 0;
    std::unique_lock lock(m_mutex);
    const auto asked = [&] { return m_quit || m_playsAsked != current; };
    while (!m_quit) {
        if (m_playsAsked != current) {
            current = m_playsAsked;
            lock.unlock();
            finish(); // a new play starts from the beginning
            start();
            lock.lock();
            continue;
        }
        lock.unlock();
        const bool busy = m_input && step();
        if (!busy)
            finish();
        lock.lock();
        if (!busy) {
            m_playsDone = current;
            m_wake.wait(lock, asked);
        } else if (m_written < m_end) {
            // Again when half of what the output holds has been played.
            const qint64 bufferMs = m_samples.layout.durationUs(m_sink->bufferSize()) / 1000;
            m_wake.wait_for(lock, std::chrono::milliseconds(qMax<qint64>(10, bufferMs / 2)), asked);
        } else {
            // Not before the samples not yet played would have had time to play.
            const qint64 leftMs = (m_samples.layout.durationUs(m_written) - m_sink->processedUSecs()) / 1000;
            m_wake.wait_for(lock, std::max(kEndPoll, std::chrono::milliseconds(leftMs)), asked);
        }
    }
    lock.unlock();
    finish();
    m_sink.reset();
}

void PlaybackThread::start()
{
    m_input = m_sink->start();
    m_written = 0;
    m_started.start();
    if (!m_input)
        m_noOutput();
}

bool PlaybackThread::step()
{
    const WaveLayout& layout = m_samples.layout;
    if (m_sink->state() == QAudio::StoppedState)
        return false; // the output has failed
    if (m_written >= m_end) {
        // Idle once the output has run out of samples: after the last of them, playback is over.
        const qint64 limitMs = layout.durationUs(m_end) / 1000 + kEndMarginMs;
        return m_sink->state() != QAudio::IdleState && m_started.elapsed() < limitMs;
    }
    qint64 room = wholeFrames(m_sink->bytesFree(), layout.outputBytesPerFrame());
    while (room > 0 && m_written < m_end) {
        const qint64 length = qMin(room, m_end - m_written);
        const QByteArray& head = m_samples.head;
        qint64 taken = 0;
        if (m_written < head.size()) {
            taken = m_input->write(head.constData() + m_written, qMin(length, head.size() - m_written));
        } else {
            const QByteArray more = readFromFile(m_written, length);
            if (more.isEmpty()) {
                m_end = m_written; // the file has been cut short since it was read
                break;
            }
            taken = m_input->write(more);
        }
        if (taken <= 0)
            break;
        m_written += taken;
        room -= taken;
    }
    return true;
}

QByteArray PlaybackThread::readFromFile(qint64 from, qint64 length) const
{
    QFile file(m_samples.path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readOutputSamples(file, m_samples.layout, from, length);
}

void PlaybackThread::finish()
{
    if (!m_input)
        return;
    m_input = nullptr; // the output deletes it
    m_sink->stop();
}

} // namespace corvane
