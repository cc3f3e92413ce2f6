#!/usr/bin/python3
"""The runner's control socket beside a crowd of idle clients: 1,100 connections that send
nothing (more than the usual limit of 1,024 open files of the runner), then a close request.
Prints how long the close request waits for its answer (or that it got none), the runner's open descriptors and CPU
time while the crowd connects, and its peak resident memory.

Usage: control_flood_bench.py PROGRAM [--runs N] [--clients N]
"""
import argparse
import os
import resource
import shutil
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

from runner_bench import SOCKET_NAME, Runner, schedstat
from runner_bounds_bench import peak_rss_kib


def connect(path, timeout_s):
    """A blocking connect that waits for room in a full queue, up to timeout_s."""
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_SNDTIMEO, struct.pack("ll", timeout_s, 0))
    s.connect(path)
    return s


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--clients", type=int, default=1100)
    args = parser.parse_args()

    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    answers, descriptors, cpu, peaks, refused, unanswered = [], [], [], [], 0, 0
    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        program = shutil.copy(args.program, os.path.join(folder, "corvane_110"))
        path = os.path.join(runtime, SOCKET_NAME)
        for _ in range(args.runs):
            # The runner gets the usual limit; this process holds every client.
            resource.setrlimit(resource.RLIMIT_NOFILE, (min(1024, hard), hard))
            runner = Runner(program, folder, runtime)
            resource.setrlimit(resource.RLIMIT_NOFILE, (min(args.clients + 1024, hard), hard))
            runner.wait_armed()
            before = schedstat(runner.proc.pid)[0]
            clients = []
            for _ in range(args.clients):
                try:
                    clients.append(connect(path, 2))
                except OSError:
                    refused += 1
            descriptors.append(len(os.listdir(f"/proc/{runner.proc.pid}/fd")))
            cpu.append((schedstat(runner.proc.pid)[0] - before) / 1e6)
            peaks.append(peak_rss_kib(runner.proc.pid) / 1024)
            started = time.perf_counter()
            try:
                with connect(path, 5) as request:
                    request.settimeout(5)
                    request.sendall(b"close\n")
                    answered = request.recv(64) == b"closed\n"
            except OSError:
                answered = False
            if answered:
                answers.append((time.perf_counter() - started) * 1000)
            else:
                unanswered += 1
            for c in clients:
                c.close()
            try:
                runner.proc.wait(10)
            except subprocess.TimeoutExpired:
                runner.proc.kill()
                runner.proc.wait()
        resource.setrlimit(resource.RLIMIT_NOFILE, (soft, hard))
    if answers:
        print(f"close request beside {args.clients} idle clients, {args.runs} runs: answered after "
              f"median {statistics.median(answers):.1f} ms, max {max(answers):.1f} ms")
    print(f"close requests not answered within 5 s: {unanswered}; clients not let in within 2 s: {refused}")
    print(f"runner while they connect: at most {max(descriptors)} open descriptors, "
          f"CPU median {statistics.median(cpu):.0f} ms, peak resident memory max {max(peaks):.1f} MiB")


if __name__ == "__main__":
    sys.exit(main())
