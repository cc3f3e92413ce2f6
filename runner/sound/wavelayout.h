#pragma once
// Where the samples of a WAVE file are and how they are laid out, read from its chunks without
// a decoder: announcements play uncompressed samples only (integer PCM of 8, 16 or 32 bits,
// 32-bit float), which go to the audio output as they are.
#include <QString>
#include <QtGlobal>

class QIODevice;

namespace corvane {

struct WaveLayout {
    enum class Sample { UInt8, Int16, Int32, Float };
    Sample sample = Sample::Int16;
    int channels = 0;
    int sampleRate = 0;
    // The samples: whole frames, all inside the file.
    qint64 dataOffset = 0;
    qint64 dataBytes = 0;

    int bytesPerFrame() const;
};

struct WaveLayoutRead {
    WaveLayout layout;
    // Empty when the file is playable; otherwise why not, in the words of the runner's log.
    QString error;
};

// Reads the RIFF chunks of `file` (open for reading, any size): the first "fmt " and "data"
// chunks in either order, other chunks skipped (odd sizes padded to even). A data chunk that
// claims more than the file holds is cut at the end of the file. Truncated, non-WAVE and
// compressed files give an error; nothing is read beyond what the chunks need.
WaveLayoutRead readWaveLayout(QIODevice& file);

} // namespace corvane
