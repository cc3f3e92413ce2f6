#!/usr/bin/python3
"""What a failing reminder window program costs the user: a real runner on an Xvfb screen with
reminders at 9:00 and 9:01 (faked clock), its window program SIGKILLed while the 9:00 reminder is
on screen, SIGSTOPped then, or missing from the programs' folder. For each: the failures the
runner logged, when the 9:00 text came back (killed), when the 9:01 text was on screen after
its due second, how long the close request took to be answered, and whether a window program
outlived the runner.

usage: window_failure_bench.py PROGRAMS_DIR
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "support"))
sys.path.insert(0, os.path.join(here, "..", "reminder"))
from announce_bench import LEFT, TOP, TextWatcher, set_offset  # noqa: E402
from xdesktop import Desktop, child_processes, moving_clock_env, write_settings  # noqa: E402

SETTINGS = ("[時刻]\n0-0=9:00\n0-1=9:01\n[内容]\n0-0=九時の予定\n0-1=九時一分の予定\n"
            "[指定日]\n0-0=毎日\n0-1=毎日\n[表示]\n時間=10\n[事前表示]\n時間=0\n"
            "[表示フォーム]\n色=16777215\nFCOLO=255\nTOP=%d\nLEFT=%d\nFSIZE=12\n"
            "[サウンド]\n音=0\n音声=0\n" % (TOP, LEFT))
SOCKET_NAME = "corvane実行"


def window_programs(runner_pid):
    return child_processes(runner_pid, "corvane_remind")


def close_runner(runtime):
    started = time.monotonic()
    with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
        s.settimeout(10)
        s.connect(os.path.join(runtime, SOCKET_NAME))
        s.sendall(b"close\n")
        s.recv(64)
    return time.monotonic() - started


def run_case(mode, programs, env, text):
    work = tempfile.mkdtemp(prefix="corvane-bench-fail-")
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    folder = os.path.join(work, "programs")
    os.makedirs(folder)
    parts = ["corvane_110"] + ([] if mode == "missing" else ["corvane_reminder"])
    for part in parts:
        shutil.copy2(os.path.join(programs, part), folder)
    write_settings(folder, SETTINGS)
    clock = os.path.join(work, "faketime")
    fake_due = time.mktime((2026, 12, 7, 9, 0, 0, 0, 0, -1))
    offset = int(fake_due - 14 - time.time())
    set_offset(clock, offset)
    log_path = os.path.join(work, "runner.log")
    log = open(log_path, "wb")
    proc = subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, stdout=log, stderr=subprocess.STDOUT,
                            env=dict(env, XDG_RUNTIME_DIR=runtime, XDG_STATE_HOME=os.path.join(work, "state"),
                                     **moving_clock_env(clock)))
    figures = {}
    try:
        due = fake_due - offset
        time.sleep(max(0.0, due - 0.5 - time.time()))
        text.arm()
        first = text.wait(5.0)
        figures["9:00 text"] = None if first is None else first - due
        if mode in ("killed", "stopped"):
            time.sleep(max(0.0, due + 1 - time.time()))
            victims = window_programs(proc.pid)
            for pid in victims:
                os.kill(pid, signal.SIGKILL if mode == "killed" else signal.SIGSTOP)
            hit = time.time()
            if mode == "killed":
                time.sleep(0.2)  # the killed window's pixels go with it
                text.arm()
                back = text.wait(5.0)
                figures["9:00 text back after the kill"] = None if back is None else back - hit
        # On to 12 s before 9:01, once the 9:00 window has closed (display time 10 s, and 2 s
        # for a stopped program's missing answer).
        time.sleep(max(0.0, due + 14 - time.time()))
        next_due_fake = fake_due + 60
        offset = int(next_due_fake - 12 - time.time())
        set_offset(clock, offset)
        next_due = next_due_fake - offset
        time.sleep(max(0.0, next_due - 0.5 - time.time()))
        text.arm()
        second = text.wait(5.0)
        figures["9:01 text"] = None if second is None else second - next_due
        time.sleep(1.0)
        before = window_programs(proc.pid)
        figures["close answered"] = close_runner(runtime)
        proc.wait(10)
        time.sleep(0.5)
        figures["window programs left"] = [pid for pid in before if pid in window_programs(None)]
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait(5)
        log.close()
        lines = open(log_path, encoding="utf-8", errors="replace").read().splitlines()
        figures["logged"] = [line for line in lines if "お知らせ画面" in line or "お知らせを表示" in line]
        figures["9:01 announced"] = any("09:01:00 お知らせ: 九時一分の予定" in line for line in lines)
        shutil.rmtree(work, ignore_errors=True)
    return figures


def ms(value):
    return "none" if value is None else f"{value * 1000:.1f} ms"


def main():
    programs = sys.argv[1]
    desktop = Desktop()
    try:
        env = desktop.env()
        text = TextWatcher(desktop.display)
        for mode in ("killed", "stopped", "missing"):
            f = run_case(mode, programs, env, text)
            print(f"window program {mode}:")
            print(f"  9:00 text on screen {ms(f['9:00 text'])} after its due second"
                  + (f"; back {ms(f['9:00 text back after the kill'])} after the kill" if mode == "killed" else ""))
            print(f"  9:01 announced at its second: {f['9:01 announced']}; its text on screen {ms(f['9:01 text'])} "
                  f"after the due second")
            print(f"  close answered in {ms(f['close answered'])} (bar: <= 1000 ms); window programs left after "
                  f"the runner: {len(f['window programs left'])}")
            for line in f["logged"]:
                print("  log: " + line)
        text.stop()
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
