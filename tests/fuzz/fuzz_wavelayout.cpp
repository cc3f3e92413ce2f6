// libFuzzer target over WAVE headers and chunks of any bytes and sizes: the reader never reads
// outside the file, and a file it takes has a layout an output plays, its samples in whole
// frames inside the file, read ahead in no more than 1 MiB, and given to the output as it
// takes them (24-bit samples widened, all others as they are) from any byte on.
//
// Built by tests/fuzz/build.sh; run for example as
//   build-fuzz/fuzz_wavelayout -max_total_time=300 -max_len=4096 corpus/
// fuzz-sources: ../runner/sound/wavelayout.cpp ../runner/sound/samplereader.cpp
#include "../../runner/sound/samplereader.h"
#include "../../runner/sound/wavelayout.h"
#include "fuzzrequire.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

using namespace corvane;

namespace {

void checkLayout(const WaveLayout& layout, qint64 fileSize)
{
    REQUIRE(layout.channels >= 1 && layout.channels <= kMaxChannels);
    REQUIRE(layout.sampleRate >= kMinSampleRate && layout.sampleRate <= kMaxSampleRate);
    REQUIRE(layout.dataOffset >= 20);
    REQUIRE(layout.dataBytes > 0 && layout.dataBytes % layout.bytesPerFrame() == 0);
    REQUIRE(layout.dataOffset + layout.dataBytes <= fileSize);
    const qint64 ahead = outputBufferBytes(layout);
    REQUIRE(ahead > 0 && ahead <= (1 << 20) && ahead <= layout.outputBytes());
    REQUIRE(ahead % layout.outputBytesPerFrame() == 0);
    REQUIRE(layout.durationUs(layout.outputBytes()) >= layout.durationUs(ahead));
}

// The output's bytes [from, from + length): as many as there are, the file's own bytes or, for
// 24-bit samples, the same bytes with a zero below each sample.
void checkSamples(QBuffer& file, const WaveLayout& layout, qint64 from, qint64 length)
{
    const QByteArray out = readOutputSamples(file, layout, from, length);
    REQUIRE(out.size() == qBound<qint64>(0, qMin(length, layout.outputBytes() - from), length));
    const QByteArray& data = file.data();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const qint64 at = from + i;
        if (layout.sample != WaveLayout::Sample::Int24) {
            REQUIRE(out[i] == data[layout.dataOffset + at]);
        } else if (at % 4 == 0) {
            REQUIRE(out[i] == 0);
        } else {
            REQUIRE(out[i] == data[layout.dataOffset + at / 4 * 3 + at % 4 - 1]);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    QBuffer file;
    file.setData(QByteArray(reinterpret_cast<const char*>(bytes), qsizetype(size)));
    file.open(QIODevice::ReadOnly);
    const WaveLayoutRead read = readWaveLayout(file);
    if (!read.error.isEmpty())
        return 0;
    const WaveLayout& layout = read.layout;
    checkLayout(layout, qint64(size));
    // From the start, from inside a frame, and across the end.
    const qint64 total = layout.outputBytes();
    checkSamples(file, layout, 0, total);
    checkSamples(file, layout, total / 3 + 1, total / 2 + 5);
    checkSamples(file, layout, total - 1, 16);
    return 0;
}
