#!/usr/bin/python3
"""Runner start-up with a very large settings file: the full settings of runner_bench.py
after a section of LINES hand-written lines, as a file that grew by hand or by a tool.

Usage: large_file_start.py PROGRAM [--lines N] [--runs N]

Prints start-up to armed timer (median, min, max) and the runner's CPU time at that moment.
"""
import argparse
import datetime
import os
import shutil
import statistics
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from runner_bench import Runner, full_settings  # noqa: E402


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--lines", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        program = shutil.copy(args.program, os.path.join(folder, "corvane_110"))
        extra = "".join(f"メモ{i}=手で書き足した行 {i}\r\n" for i in range(args.lines)).encode("cp932")
        # In front of everything, so every lookup has to pass it.
        content = b"[\x83\x81\x83\x82]\r\n" + extra + full_settings(datetime.date.today())
        settings = os.path.join(folder, "corvane設定.ini")
        times, cpu = [], []
        for _ in range(args.runs):
            with open(settings, "wb") as f:
                f.write(content)
            runner = Runner(program, folder, runtime)
            times.append(runner.wait_armed(timeout=600) * 1000)
            cpu.append(runner.cpu_at_armed[0] / 1e6)
            runner.close()
        lines = content.count(b"\r\n")
        print(f"start-up to armed timer, {lines} lines ({len(content) / 2**20:.1f} MiB), {args.runs} runs: "
              f"median {statistics.median(times):.0f} ms, min {min(times):.0f} ms, max {max(times):.0f} ms; "
              f"CPU median {statistics.median(cpu):.0f} ms")


if __name__ == "__main__":
    main()
