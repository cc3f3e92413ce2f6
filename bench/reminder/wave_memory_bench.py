#!/usr/bin/python3
"""Peak resident memory of the real runner announcing one reminder with each of a set of WAVE
files: a short chime, the largest layout an output plays, 24-bit and extensible files, and
hostile headers (a rate of 100 MHz over 2 GB of samples, a data chunk claiming 4 GB). Each
file plays once on a private sound server's null sink, on an Xvfb screen, under a faked clock;
the figure is the runner's VmHWM after the window has closed, and its growth over the chime.

usage: wave_memory_bench.py PROGRAMS_DIR
environment: BENCH_KEEP=1 prints each runner's log.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from announce_bench import clean_up, runner_folder, set_offset, start_sound_server, stop_runner  # noqa: E402
from processmemory import peak_rss_kib  # noqa: E402
from xdesktop import Desktop, MapWatcher, moving_clock_env  # noqa: E402

LEAD_SECONDS = 15


def fmt(tag, channels, rate, bits):
    frame = channels * bits // 8
    return b"fmt " + struct.pack("<IHHIIHH", 16, tag, channels, rate, (rate * frame) & 0xFFFFFFFF, frame, bits)


def extensible_fmt(sub_format, channels, rate, bits):
    frame = channels * bits // 8
    guid = struct.pack("<H", sub_format) + b"\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71"
    return b"fmt " + struct.pack("<IHHIIHHHHI", 40, 0xFFFE, channels, rate, rate * frame, frame, bits, 22, bits,
                                 3) + guid


def write_wav(path, fmt_chunk, data_bytes, claimed=None):
    """A WAVE file whose samples are silence, left as a hole in the file (it takes no disk)."""
    claimed = data_bytes if claimed is None else claimed
    header = b"RIFF" + struct.pack("<I", min(0xFFFFFFFF, 4 + len(fmt_chunk) + 8 + claimed)) + b"WAVE" + fmt_chunk
    with open(path, "wb") as f:
        f.write(header + b"data" + struct.pack("<I", claimed))
        f.truncate(len(header) + 8 + data_bytes)


CASES = [
    ("chime, 1 s at 22.05 kHz mono 16-bit", lambda p: write_wav(p, fmt(1, 1, 22050, 16), 44100)),
    ("384 kHz, 8 channels of float, 64 MiB (5.5 s)", lambda p: write_wav(p, fmt(3, 8, 384000, 32), 64 << 20)),
    ("24-bit stereo at 48 kHz, 2 s", lambda p: write_wav(p, fmt(1, 2, 48000, 24), 2 * 48000 * 6)),
    ("extensible 24-bit stereo at 96 kHz, 2 s",
     lambda p: write_wav(p, extensible_fmt(1, 2, 96000, 24), 2 * 96000 * 6)),
    ("hostile: 100 MHz stereo 16-bit over 2 GB", lambda p: write_wav(p, fmt(1, 2, 100_000_000, 16), 2_000_000_000)),
    ("hostile: 44.1 kHz, data chunk claiming 4 GB over 2 MB",
     lambda p: write_wav(p, fmt(1, 2, 44100, 16), 2 << 20, claimed=0xFFFFFFF0)),
]


def settings_text(wav):
    return ("[時刻]\n0-0=9:01\n[内容]\n0-0=音のベンチマーク\n[指定日]\n0-0=毎日\n"
            "[表示]\n時間=3\n[事前表示]\n時間=0\n"
            "[サウンド]\n音=1\n音パス=%s\n音回数=1\n音声=0\n" % wav)


def run_case(programs, env, maps, wav):
    folder, runtime = runner_folder(programs, settings_text(wav))
    clock_file = os.path.join(folder, "faketime")
    due = time.mktime((2026, 12, 7, 9, 1, 0, 0, 0, -1))
    offset = int(due - LEAD_SECONDS - time.time())
    set_offset(clock_file, offset)
    child_env = dict(env, XDG_RUNTIME_DIR=runtime, **moving_clock_env(clock_file))
    log_path = os.path.join(folder, "runner.log")
    started = time.time()
    with open(log_path, "wb") as log:
        proc = subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, env=child_env,
                                stdout=log, stderr=subprocess.STDOUT)
    try:
        shown = maps.first_after(started, "MapNotify", LEAD_SECONDS + 30)
        closed = shown and maps.first_after(shown, "UnmapNotify", 60)
        if not closed:
            raise RuntimeError("the reminder window did not come and go; log in " + log_path)
        peak = peak_rss_kib(proc.pid)
    finally:
        stop_runner(proc)
        with open(log_path, encoding="utf-8", errors="replace") as f:
            log_text = f.read()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)
    return peak, log_text


def main():
    programs = sys.argv[1]
    desktop = Desktop()
    env = desktop.env()
    work = tempfile.mkdtemp(prefix="corvane-bench-wav-")
    sound_server, pulse = start_sound_server(work)
    if pulse:
        env["PULSE_SERVER"] = pulse
    print("sound output:", "a private sound server (null sink)" if pulse else "none")
    try:
        maps = MapWatcher(env, clock=time.time)
        reference = None
        for name, write in CASES:
            wav = os.path.join(work, "sound.wav")
            write(wav)
            peak, log_text = run_case(programs, env, maps, wav)
            os.remove(wav)
            reference = reference or peak
            refused = [line for line in log_text.splitlines() if "WAVE" in line]
            print(f"{name}: peak {peak / 1024:.1f} MiB, {(peak - reference) / 1024:+.1f} MiB over the chime"
                  + (f"; log: {refused[0]}" if refused else ""))
            if os.environ.get("BENCH_KEEP"):
                print(log_text)
        maps.stop()
    finally:
        clean_up(sound_server, desktop, work)


if __name__ == "__main__":
    main()
