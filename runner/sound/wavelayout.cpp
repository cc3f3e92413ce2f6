#include "wavelayout.h"

#include <QIODevice>
#include <QtEndian>

#include <optional>

namespace corvane {

namespace {

constexpr quint16 kPcm = 1;
constexpr quint16 kFloat = 3;
// The tag of a format whose real tag is the first two bytes of a sub-format GUID at byte 24.
constexpr quint16 kExtensible = 0xFFFE;

struct Format {
    quint16 tag = 0;
    int channels = 0;
    quint32 sampleRate = 0;
    int blockAlign = 0;
    int bits = 0;
};

QByteArray readAt(QIODevice& file, qint64 offset, qint64 length)
{
    if (!file.seek(offset))
        return {};
    return file.read(length);
}

quint16 u16(const QByteArray& bytes, int at) { return qFromLittleEndian<quint16>(bytes.constData() + at); }
quint32 u32(const QByteArray& bytes, int at) { return qFromLittleEndian<quint32>(bytes.constData() + at); }

std::optional<Format> readFormat(QIODevice& file, qint64 offset, qint64 size)
{
    // Only the first 26 bytes matter; a chunk that claims megabytes is not read whole.
    const QByteArray bytes = readAt(file, offset, qMin<qint64>(size, 26));
    if (bytes.size() < 16)
        return std::nullopt;
    Format format;
    format.tag = u16(bytes, 0);
    format.channels = u16(bytes, 2);
    format.sampleRate = u32(bytes, 4);
    format.blockAlign = u16(bytes, 12);
    format.bits = u16(bytes, 14);
    if (format.tag == kExtensible && bytes.size() >= 26)
        format.tag = u16(bytes, 24);
    return format;
}

QString sampleError(const Format& format, WaveLayout& layout)
{
    if (format.tag != kPcm && format.tag != kFloat)
        return QStringLiteral("PCM 以外の形式（0x%1）です").arg(format.tag, 4, 16, QLatin1Char('0'));
    if (format.channels == 0 || format.sampleRate == 0)
        return QStringLiteral("チャンネル数か標本化周波数が 0 です");
    // The output would be asked for a buffer of seconds at this rate: a header of 100 MHz must
    // not cost the runner gigabytes before the output says no.
    if (format.channels > kMaxChannels || format.sampleRate < quint32(kMinSampleRate)
        || format.sampleRate > quint32(kMaxSampleRate))
        return QStringLiteral("音の出力先が %1 Hz・%2 チャンネルのこの形式を扱えません")
            .arg(format.sampleRate)
            .arg(format.channels);
    if (format.tag == kFloat && format.bits == 32)
        layout.sample = WaveLayout::Sample::Float;
    else if (format.tag == kPcm && format.bits == 8)
        layout.sample = WaveLayout::Sample::UInt8;
    else if (format.tag == kPcm && format.bits == 16)
        layout.sample = WaveLayout::Sample::Int16;
    else if (format.tag == kPcm && format.bits == 24)
        layout.sample = WaveLayout::Sample::Int24;
    else if (format.tag == kPcm && format.bits == 32)
        layout.sample = WaveLayout::Sample::Int32;
    else
        return QStringLiteral("%1 ビットの標本は扱えません").arg(format.bits);
    layout.channels = format.channels;
    layout.sampleRate = int(format.sampleRate);
    // Frames are cut by the block align the file states; one that differs from the samples'
    // size would play every frame shifted.
    if (format.blockAlign != layout.bytesPerFrame())
        return QStringLiteral("ブロックの大きさ %1 バイトが %2 チャンネル・%3 ビットの標本に合いません")
            .arg(format.blockAlign)
            .arg(format.channels)
            .arg(format.bits);
    return {};
}

} // namespace

int WaveLayout::bytesPerFrame() const
{
    switch (sample) {
    case Sample::UInt8:
        return channels;
    case Sample::Int16:
        return 2 * channels;
    case Sample::Int24:
        return 3 * channels;
    case Sample::Int32:
    case Sample::Float:
        break;
    }
    return 4 * channels;
}

int WaveLayout::outputBytesPerFrame() const { return sample == Sample::Int24 ? 4 * channels : bytesPerFrame(); }

qint64 WaveLayout::outputBytes() const { return dataBytes / bytesPerFrame() * outputBytesPerFrame(); }

qint64 WaveLayout::durationUs(qint64 outputBytes) const
{
    return outputBytes / outputBytesPerFrame() * 1'000'000 / sampleRate;
}

WaveLayoutRead readWaveLayout(QIODevice& file)
{
    WaveLayoutRead read;
    const qint64 end = file.size();
    const QByteArray riff = readAt(file, 0, 12);
    if (riff.size() < 12 || !riff.startsWith("RIFF") || riff.mid(8, 4) != "WAVE") {
        read.error = QStringLiteral("RIFF/WAVE 形式ではありません");
        return read;
    }
    std::optional<Format> format;
    bool formatSeen = false;
    bool dataSeen = false;
    // Chunks are walked up to the end of the file: a RIFF size that is wrong (as written by
    // programs that stream) does not hide chunks that are there.
    for (qint64 at = 12; at + 8 <= end && !(formatSeen && dataSeen);) {
        const QByteArray header = readAt(file, at, 8);
        if (header.size() < 8)
            break;
        const qint64 size = u32(header, 4);
        const qint64 body = at + 8;
        if (header.startsWith("fmt ") && !formatSeen) {
            formatSeen = true;
            format = readFormat(file, body, qMin(size, end - body));
        } else if (header.startsWith("data") && !dataSeen) {
            dataSeen = true;
            read.layout.dataOffset = body;
            read.layout.dataBytes = qMin(size, end - body);
        }
        at = body + size + (size & 1);
    }
    if (!formatSeen || !dataSeen) {
        read.error =
            formatSeen ? QStringLiteral("data チャンクがありません") : QStringLiteral("fmt チャンクがありません");
        return read;
    }
    if (!format) {
        read.error = QStringLiteral("fmt チャンクが途中で切れています");
        return read;
    }
    read.error = sampleError(*format, read.layout);
    if (!read.error.isEmpty())
        return read;
    read.layout.dataBytes -= read.layout.dataBytes % read.layout.bytesPerFrame();
    if (read.layout.dataBytes <= 0)
        read.error = QStringLiteral("音のデータがありません");
    return read;
}

} // namespace corvane
