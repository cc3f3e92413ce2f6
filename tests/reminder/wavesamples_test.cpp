// The WAVE reader without an audio output: which layouts are taken at the edges of what an
// output plays, how the samples reach the output (24-bit ones widened), how much is read ahead,
// and how long the samples of files past 2 GiB play.
#include <gtest/gtest.h>

#include "samplereader.h"
#include "wavebytes.h"
#include "wavelayout.h"

#include <QBuffer>

using namespace corvane;
using namespace corvane::test;

namespace {

WaveLayoutRead readLayout(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readWaveLayout(buffer);
}

WaveLayout layoutOf(WaveLayout::Sample sample, int channels, int rate, qint64 dataBytes)
{
    WaveLayout layout;
    layout.sample = sample;
    layout.channels = channels;
    layout.sampleRate = rate;
    layout.dataBytes = dataBytes;
    return layout;
}

} // namespace

TEST(WaveSamples, LayoutsAtTheEdgesOfWhatAnOutputPlaysAreTaken)
{
    using Sample = WaveLayout::Sample;
    const struct Row {
        const char* what;
        QByteArray fmt;
        Sample sample;
        int channels;
        int rate;
    } rows[] = {
        {"8000 Hz mono 24-bit", fmtChunk(1, 1, 8'000, 24), Sample::Int24, 1, 8'000},
        {"384 kHz, 8 channels of float", fmtChunk(3, 8, 384'000, 32), Sample::Float, 8, 384'000},
        {"extensible 24-bit PCM", extensibleFmtChunk(1, 2, 48'000, 24), Sample::Int24, 2, 48'000},
        {"extensible 16-bit PCM", extensibleFmtChunk(1, 2, 44'100, 16), Sample::Int16, 2, 44'100},
        {"extensible float", extensibleFmtChunk(3, 6, 96'000, 32), Sample::Float, 6, 96'000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const WaveLayoutRead read = readLayout(riff(row.fmt + chunk("data", QByteArray(96, '\1'))));
        ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
        EXPECT_EQ(read.layout.sample, row.sample);
        EXPECT_EQ(read.layout.channels, row.channels);
        EXPECT_EQ(read.layout.sampleRate, row.rate);
    }
}

TEST(WaveSamples, OutputGetsTheSamplesWidenedFromAnyByte)
{
    using Sample = WaveLayout::Sample;
    // Two stereo frames of 24 bits: 0x123456, -2 (0xfffffe), 0x7fffff, -0x800000.
    const QByteArray frames24("\x56\x34\x12\xfe\xff\xff\xff\xff\x7f\x00\x00\x80", 12);
    const QByteArray wide24("\x00\x56\x34\x12\x00\xfe\xff\xff\x00\xff\xff\x7f\x00\x00\x00\x80", 16);
    const QByteArray frames16("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    const struct Row {
        const char* what;
        Sample sample;
        QByteArray samples;
        qint64 claimed; // the data bytes the layout claims
        qint64 from;
        qint64 length;
        QByteArray expected;
    } rows[] = {
        {"24-bit, all", Sample::Int24, frames24, 12, 0, 16, wide24},
        {"24-bit, from inside the first frame", Sample::Int24, frames24, 12, 5, 7, wide24.mid(5, 7)},
        {"24-bit, the second frame", Sample::Int24, frames24, 12, 8, 100, wide24.mid(8)},
        {"24-bit, past the end", Sample::Int24, frames24, 12, 16, 8, {}},
        {"24-bit, the file since cut inside a frame", Sample::Int24, frames24.left(10), 12, 0, 16, wide24.left(8)},
        {"16-bit as it is, from inside a frame", Sample::Int16, frames16, 8, 3, 4, frames16.mid(3, 4)},
        {"16-bit, the file since cut inside a frame", Sample::Int16, frames16.left(7), 8, 0, 8, frames16.left(4)},
        {"16-bit, no more than the layout claims", Sample::Int16, frames16, 4, 0, 8, frames16.left(4)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const QByteArray before("RIFF....WAVE", 12);
        QBuffer file;
        file.setData(before + row.samples);
        file.open(QIODevice::ReadOnly);
        WaveLayout layout = layoutOf(row.sample, 2, 48'000, row.claimed);
        layout.dataOffset = before.size();
        EXPECT_EQ(readOutputSamples(file, layout, row.from, row.length).toHex(' '), row.expected.toHex(' '));
    }
}

TEST(WaveSamples, ReadAheadAndDurationsForEveryLayout)
{
    using Sample = WaveLayout::Sample;
    const qint64 threeGiB = 3LL << 30;
    const struct Row {
        const char* what;
        WaveLayout layout;
        qint64 readAhead;
        qint64 durationUs; // of all the samples
    } rows[] = {
        // Four seconds of a CD-quality file.
        {"44.1 kHz stereo 16-bit", layoutOf(Sample::Int16, 2, 44'100, threeGiB), 705'600, 18'260'915'374},
        {"a chime shorter than four seconds", layoutOf(Sample::Int16, 1, 22'050, 4'410), 4'410, 100'000},
        // The same three bytes a sample play as four.
        {"48 kHz stereo 24-bit", layoutOf(Sample::Int24, 2, 48'000, threeGiB), 1 << 20, 11'184'810'666},
        {"384 kHz, 8 channels of float", layoutOf(Sample::Float, 8, 384'000, threeGiB), 1 << 20, 262'144'000},
        {"8 kHz mono 8-bit", layoutOf(Sample::UInt8, 1, 8'000, threeGiB), 32'000, 402'653'184'000},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(outputBufferBytes(row.layout), row.readAhead);
        EXPECT_EQ(row.layout.durationUs(row.layout.outputBytes()), row.durationUs);
    }
}
