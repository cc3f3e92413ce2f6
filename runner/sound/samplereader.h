#pragma once
// The samples of a WAVE file as the audio output takes them, read a part at a time, so that a
// file of any size plays in little memory: packed 24-bit samples are widened to 32 bits on the
// way (no output takes three-byte samples), all others go as they are in the file.
#include <QByteArray>

#include "wavelayout.h"

class QIODevice;

namespace corvane {

// The output's bytes [from, from + length) of the samples of `file` (laid out as `layout`),
// fewer where the samples or the file end; `from` (not negative) may fall inside a frame (an output that took
// part of one). Only the frames those bytes come from are read.
QByteArray readOutputSamples(QIODevice& file, const WaveLayout& layout, qint64 from, qint64 length);

// How many of the output's bytes are read ahead and given to the output at a time: four
// seconds, but no more than 1 MiB, whatever the rate and channels, so that the runner holds
// little more than that (twice: ahead and in the output) for any file.
qint64 outputBufferBytes(const WaveLayout& layout);

} // namespace corvane
