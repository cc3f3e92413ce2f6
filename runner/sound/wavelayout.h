#pragma once
// Where the samples of a WAVE file are and how they are laid out, read from its chunks without
// a decoder: announcements play uncompressed samples only (integer PCM of 8, 16, 24 or 32 bits,
// 32-bit float, in a plain or an extensible fmt chunk). Layouts no audio output plays are
// refused here, before a byte of samples is read.
#include <QString>
#include <QtGlobal>

class QIODevice;

namespace corvane {

struct WaveLayout {
    // As stored in the file. No audio output takes three-byte samples: Int24 is played as
    // Int32 (see samplereader.h).
    enum class Sample { UInt8, Int16, Int24, Int32, Float };
    Sample sample = Sample::Int16;
    int channels = 0;
    int sampleRate = 0;
    // The samples: whole frames, all inside the file.
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;

    // One frame in the file, and as the audio output takes it.
    int bytesPerFrame() const;
    int outputBytesPerFrame() const;
    // All the samples as the output takes them.
    qint64 outputBytes() const;
    // How long `outputBytes` of samples play, in microseconds (64-bit: a file may hold more
    // than 2 GiB).
    qint64 durationUs(qint64 outputBytes) const;
};

// What an audio output plays; rates and channel counts outside these are refused.
inline constexpr int kMinSampleRate = 8'000;
inline constexpr int kMaxSampleRate = 384'000;
inline constexpr int kMaxChannels = 8;

struct WaveLayoutRead {
    WaveLayout layout;
    // Empty when the file is playable; otherwise why not, in the words of the runner's log.
    QString error;
};

// Reads the RIFF chunks of `file` (open for reading, any size): the first "fmt " and "data"
// chunks in either order, other chunks skipped (odd sizes padded to even). A data chunk that
// claims more than the file holds is cut at the end of the file. Truncated, non-WAVE and
// compressed files, and layouts outside what an output plays (rate, channels, a block align
// that does not fit the samples) give an error; nothing is read beyond what the chunks need.
WaveLayoutRead readWaveLayout(QIODevice& file);

} // namespace corvane
