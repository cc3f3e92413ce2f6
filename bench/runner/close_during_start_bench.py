#!/usr/bin/python3
"""How long a close request waits while the runner starts with the largest indicator workbook a
sheet holds (65,535 releases, all today). The request is sent as soon as the runner's socket is
there, i.e. while the start-up is reading the workbook. Prints the time from the request to the
runner's answer, the time to the end of its process, and the start-up to the armed timer when
nobody asks it to close.

Usage: close_during_start_bench.py PROGRAM WRITE_WORKBOOK [--runs N] [--rows N]
"""
import argparse
import datetime
import os
import shutil
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from runner_bench import SOCKET_NAME, Runner


def close_at_once(program, folder, runtime):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    proc = subprocess.Popen([program], cwd=folder, env=env, stderr=subprocess.DEVNULL)
    path = os.path.join(runtime, SOCKET_NAME)
    deadline = time.monotonic() + 30
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        while True:
            try:
                s.connect(path)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise RuntimeError("the runner did not listen")
                time.sleep(0.005)
        sent = time.perf_counter()
        s.sendall(b"close\n")
        s.settimeout(60)
        s.recv(64)
        answered = time.perf_counter() - sent
    proc.wait(120)
    return answered * 1000, (time.perf_counter() - sent) * 1000


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("write_workbook")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--rows", type=int, default=65535)
    args = parser.parse_args()
    today = datetime.date.today()
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        program = shutil.copy(args.program, os.path.join(folder, "corvane_110"))
        subprocess.run([args.write_workbook, os.path.join(folder, "経済指標.xls"), today.isoformat(), str(args.rows)],
                       check=True)
        with open(os.path.join(folder, "corvane設定.ini"), "wb") as f:
            f.write(f"[経済指標]\r\n取得=1\r\n作成日={today.year}/{today.month}/1\r\n".encode("cp932"))
        answers, ends, armed = [], [], []
        for _ in range(args.runs):
            answer, end = close_at_once(program, folder, runtime)
            answers.append(answer)
            ends.append(end)
            runner = Runner(program, folder, runtime)
            armed.append(runner.wait_armed(120) * 1000)
            runner.close()
        print(f"{args.rows} indicator releases today, {args.runs} runs "
              f"(load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs):")
        print(f"  close request sent during start-up, answered after: median {statistics.median(answers):.0f} ms, "
              f"max {max(answers):.0f} ms")
        print(f"  its process ended after: median {statistics.median(ends):.0f} ms, max {max(ends):.0f} ms")
        print(f"  start-up to armed timer without a close: median {statistics.median(armed):.0f} ms, "
              f"max {max(armed):.0f} ms")


if __name__ == "__main__":
    sys.exit(main())
