#include "soundplayer.h"

#include "playbackthread.h"
#include "samplereader.h"

#include <QFile>
#include <QFileInfo>
#include <QMediaDevices>

namespace corvane {

namespace {

QAudioFormat audioFormat(const WaveLayout& layout)
{
    QAudioFormat format;
    format.setSampleRate(layout.sampleRate);
    format.setChannelCount(layout.channels);
    switch (layout.sample) {
    case WaveLayout::Sample::UInt8:
        format.setSampleFormat(QAudioFormat::UInt8);
        break;
    case WaveLayout::Sample::Int16:
        format.setSampleFormat(QAudioFormat::Int16);
        break;
    case WaveLayout::Sample::Int24: // widened as it is read
    case WaveLayout::Sample::Int32:
        format.setSampleFormat(QAudioFormat::Int32);
        break;
    case WaveLayout::Sample::Float:
        format.setSampleFormat(QAudioFormat::Float);
        break;
    }
    return format;
}

} // namespace

SoundPlayer::SoundPlayer(const QString& path, SoundLog log, QObject* parent) : QObject(parent), m_path(path), m_log(log)
{
    load();
}

SoundPlayer::~SoundPlayer() = default;

void SoundPlayer::load()
{
    if (!QFileInfo(m_path).isFile())
        return; // reported at the first play, when the user would have heard it
    m_loaded = true;
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return setUnplayable(file.errorString());
    const WaveLayoutRead read = readWaveLayout(file);
    if (!read.error.isEmpty())
        return setUnplayable(read.error);
    m_layout = read.layout;
    // The output's buffer is asked to hold the head (it may grant less): a chime is written in a
    // go or two, a long file a part every second or so.
    m_head = readOutputSamples(file, m_layout, 0, outputBufferBytes(m_layout));
    makePlayback();
}

void SoundPlayer::makePlayback()
{
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    if (device.isNull())
        return; // reported at the first play
    const QAudioFormat format = audioFormat(m_layout);
    if (!device.isFormatSupported(format))
        return setUnplayable(QStringLiteral("音の出力先が %1 Hz・%2 チャンネルのこの形式を扱えません")
                                 .arg(m_layout.sampleRate)
                                 .arg(m_layout.channels));
    const auto noOutput = [this] {
        QMetaObject::invokeMethod(
            this, [this] { logOnce(m_loggedNoOutput, noOutputText()); }, Qt::QueuedConnection);
    };
    m_playback =
        std::make_unique<PlaybackThread>(device, format, PlaybackThread::Samples{m_path, m_layout, m_head}, noOutput);
}

void SoundPlayer::play()
{
    if (!m_loaded)
        load(); // the file may have come back (a network drive) since start-up
    if (!m_loaded) {
        logOnce(m_loggedMissing, QStringLiteral("WAVEファイルがありません: %1").arg(m_path));
        return;
    }
    if (m_unplayable)
        return; // already reported
    if (!m_playback)
        makePlayback(); // an output may have come up since
    if (m_playback)
        m_playback->play();
    else if (!m_unplayable)
        logOnce(m_loggedNoOutput, noOutputText());
}

bool SoundPlayer::isPlaying() const { return m_playback && m_playback->isPlaying(); }

QString SoundPlayer::noOutputText() const
{
    return QStringLiteral("音の出力先がないため、WAVEファイルを鳴らせません: %1").arg(m_path);
}

void SoundPlayer::setUnplayable(const QString& reason)
{
    m_unplayable = true;
    logOnce(m_loggedUnplayable, QStringLiteral("WAVEファイルを鳴らせません: %1（%2）").arg(m_path, reason));
}

void SoundPlayer::logOnce(bool& logged, const QString& text)
{
    if (logged)
        return;
    logged = true;
    m_log(text);
}

} // namespace corvane
