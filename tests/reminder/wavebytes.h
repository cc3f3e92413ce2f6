#pragma once
// WAVE files built byte by byte, for the tests of the WAVE reader and the player.
#include <QByteArray>
#include <QtEndian>

namespace corvane::test {

inline QByteArray le(quint32 value, int bytes)
{
    char out[4];
    qToLittleEndian(value, out);
    return QByteArray(out, bytes);
}

// A RIFF chunk, padded to an even length as the format wants.
inline QByteArray chunk(const char* id, const QByteArray& body, quint32 size = 0)
{
    return id + le(size ? size : body.size(), 4) + body + (body.size() % 2 ? QByteArray(1, '\0') : QByteArray());
}

// A plain fmt chunk; `align` 0 for the block align that fits the samples.
inline QByteArray fmtChunk(quint16 tag, quint16 channels, quint32 rate, quint16 bits, quint16 align = 0)
{
    const quint16 frame = align ? align : channels * bits / 8;
    return chunk("fmt ", le(tag, 2) + le(channels, 2) + le(rate, 4) + le(rate * frame, 4) + le(frame, 2) + le(bits, 2));
}

// An extensible fmt chunk, as recorders and audio editors write it: `subFormat` (1 PCM, 3 float)
// in the first bytes of the sub-format GUID, the samples `bits` wide in their container.
inline QByteArray extensibleFmtChunk(quint16 subFormat, quint16 channels, quint32 rate, quint16 bits)
{
    const quint16 frame = channels * bits / 8;
    const QByteArray guidTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    return chunk("fmt ", le(0xfffe, 2) + le(channels, 2) + le(rate, 4) + le(rate * frame, 4) + le(frame, 2)
                             + le(bits, 2) + le(22, 2) + le(bits, 2) + le(3, 4) + le(subFormat, 2) + guidTail);
}

// A square wave in samples of `bits` bits: unsigned for 8, signed above, or float.
inline QByteArray pcm(int milliseconds, quint16 channels, quint32 rate, quint16 bits, bool isFloat = false)
{
    QByteArray out;
    const int frames = int(rate * milliseconds / 1000);
    for (int i = 0; i < frames * channels; ++i) {
        const bool high = (i / channels / 25) % 2;
        if (isFloat) {
            const float value = high ? 0.25f : -0.25f;
            out += QByteArray(reinterpret_cast<const char*>(&value), 4);
        } else if (bits == 8) {
            out += char(high ? 0xa0 : 0x60);
        } else {
            out += le(high ? 0x20000000u : 0xe0000000u, 4).right(bits / 8);
        }
    }
    return out;
}

inline QByteArray riff(const QByteArray& chunks) { return "RIFF" + le(4 + chunks.size(), 4) + "WAVE" + chunks; }

// A short mono 16-bit PCM WAVE file: a 440 Hz tone.
inline QByteArray waveFile(int milliseconds)
{
    return riff(fmtChunk(1, 1, 22050, 16) + chunk("data", pcm(milliseconds, 1, 22050, 16)));
}

} // namespace corvane::test
