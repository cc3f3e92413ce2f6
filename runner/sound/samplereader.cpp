#include "samplereader.h"

#include <QIODevice>

namespace corvane {

namespace {

constexpr qint64 kBufferSeconds = 4;
constexpr qint64 kMaxBufferBytes = 1 << 20;

// Three little-endian bytes to four, the sample in the top three: the 32-bit sample of the
// same level, its sign in the same place.
QByteArray widen24(const QByteArray& packed)
{
    const qsizetype samples = packed.size() / 3;
    QByteArray wide(samples * 4, Qt::Uninitialized);
    const char* in = packed.constData();
    char* out = wide.data();
    for (qsizetype i = 0; i < samples; ++i, in += 3, out += 4) {
        out[0] = 0;
        out[1] = in[0];
        out[2] = in[1];
        out[3] = in[2];
    }
    return wide;
}

} // namespace

QByteArray readOutputSamples(QIODevice& file, const WaveLayout& layout, qint64 from, qint64 length)
{
    const qint64 total = layout.outputBytes();
    length = qMin(length, total - from);
    if (length <= 0)
        return {};
    const int inFrame = layout.bytesPerFrame();
    const int outFrame = layout.outputBytesPerFrame();
    const qint64 firstFrame = from / outFrame;
    // One frame more covers a last frame that the bytes end inside.
    const qint64 endFrame = (from + length) / outFrame + 1;
    if (!file.seek(layout.dataOffset + firstFrame * inFrame))
        return {};
    QByteArray bytes = file.read((endFrame - firstFrame) * inFrame);
    // A file cut short since its layout was read ends on its last whole frame.
    bytes.truncate(bytes.size() - bytes.size() % inFrame);
    if (layout.sample == WaveLayout::Sample::Int24)
        bytes = widen24(bytes);
    return bytes.mid(from - firstFrame * outFrame, length);
}

qint64 outputBufferBytes(const WaveLayout& layout)
{
    const qint64 frame = layout.outputBytesPerFrame();
    const qint64 frames = qMin(layout.sampleRate * kBufferSeconds, kMaxBufferBytes / frame);
    return qMin(layout.outputBytes(), frames * frame);
}

} // namespace corvane
