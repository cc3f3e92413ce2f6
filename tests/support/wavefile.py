"""A short PCM WAVE file (a square-wave chime) for the runner's sound to play."""
import struct


def write_wave(path, seconds=1.0, rate=22050):
    samples = int(rate * seconds)
    pcm = b"".join(struct.pack("<h", 6000 if (i // 25) % 2 else -6000) for i in range(samples))
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVEfmt "
                + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
                + b"data" + struct.pack("<I", len(pcm)) + pcm)
