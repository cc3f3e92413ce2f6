#!/usr/bin/python3
"""Runner start-up with the largest inputs it accepts: a full indicator day (500 releases today,
the most it takes) and a settings file of a million lines (the full file of runner_bench.py plus
hand-edited lines in a section it reads and in one it does not know). Prints start-up to the
armed timer and the runner's peak resident memory.

Usage: runner_bounds_bench.py PROGRAM WRITE_WORKBOOK [--runs N] [--lines N] [--in-front]

WRITE_WORKBOOK is the built write_indicator_workbook helper. With --in-front the hand-edited
lines come before everything else, so that every lookup of a key has to pass them.
"""
import argparse
import datetime
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

from runner_bench import Runner, full_settings
from processmemory import peak_rss_kib  # noqa: E402


def million_line_settings(today, lines, in_front=False):
    content = full_settings(today).replace("取得=0".encode("cp932"), "取得=1".encode("cp932"))
    half = (lines - content.count(b"\r\n")) // 2
    # Keys the walks never ask for, inside a section they index, and a section no one reads.
    extra = ["[時刻]"] + [f"{100 + n // 50}-{n % 50}=9:{n % 60:02d}" for n in range(half - 1)]
    extra += ["[メモ]"] + [f"行{n}=手で書き足したメモ {n}" for n in range(half - 1)]
    extra = ("\r\n".join(extra) + "\r\n").encode("cp932")
    return extra + content if in_front else content + extra


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("write_workbook")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--in-front", action="store_true")
    args = parser.parse_args()

    today = datetime.date.today()
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        program = shutil.copy(args.program, os.path.join(folder, "corvane_110"))
        subprocess.run([args.write_workbook, os.path.join(folder, "経済指標.xls"), today.isoformat(), "500"],
                       check=True)
        content = million_line_settings(today, args.lines, args.in_front)
        settings = os.path.join(folder, "corvane設定.ini")
        times, peaks, cpu = [], [], []
        for _ in range(args.runs):
            with open(settings, "wb") as f:
                f.write(content)
            runner = Runner(program, folder, runtime)
            times.append(runner.wait_armed(120) * 1000)
            peaks.append(peak_rss_kib(runner.proc.pid) / 1024)
            cpu.append(runner.cpu_at_armed[0] / 1e6)
            runner.close()
        line_count = content.count(b"\r\n")
        print(f"start-up to armed timer, 500 indicator releases today and a settings file of "
              f"{line_count} lines ({len(content) / 1e6:.1f} MB), {args.runs} runs: "
              f"median {statistics.median(times):.0f} ms, min {min(times):.0f} ms, max {max(times):.0f} ms; "
              f"on a CPU median {statistics.median(cpu):.0f} ms")
        print(f"peak resident memory at the armed timer: median {statistics.median(peaks):.1f} MiB, "
              f"max {max(peaks):.1f} MiB (load average now {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs)")


if __name__ == "__main__":
    sys.exit(main())
