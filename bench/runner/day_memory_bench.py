#!/usr/bin/python3
"""The resident runner's memory over two days of 50 reminders each, with a WAVE file set: its
RSS 60 s after the start, and 60 s after the last window of each day has closed. The reminders
are shown by real window programs on an Xvfb screen, their sound played to a private sound
server's null sink; the runner's clock is faked and moved on to 3 s before each reminder.

usage: day_memory_bench.py PROGRAMS_DIR [--reminders N]
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "support"))
sys.path.insert(0, os.path.join(here, "..", "reminder"))
from announce_bench import clean_up, set_offset, start_sound_server, stop_runner  # noqa: E402
from wavefile import write_wave  # noqa: E402
from xdesktop import Desktop, child_processes, moving_clock_env, write_settings  # noqa: E402

SETTLE_SECONDS = 60


def settings_text(count, wav):
    # One a minute: the window program is kept from one to the next, and ended after the last.
    times = "".join("0-%d=%d:%02d\n" % (n, 9 + n // 60, n % 60) for n in range(count))
    texts = "".join("0-%d=予定 %d 番\n" % (n, n) for n in range(count))
    dates = "".join("0-%d=毎日\n" % n for n in range(count))
    return ("[時刻]\n" + times + "[内容]\n" + texts + "[指定日]\n" + dates +
            "[表示]\n時間=2\n[事前表示]\n時間=0\n"
            "[サウンド]\n音=1\n音パス=%s\n音回数=1\n音声=0\n" % wav)


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def wait_for_line(path, text, timeout):
    deadline = time.time() + timeout
    while time.time() < deadline:
        with open(path, "rb") as f:
            if text.encode() in f.read():
                return True
        time.sleep(0.05)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("programs")
    parser.add_argument("--reminders", type=int, default=50)
    args = parser.parse_args()

    desktop = Desktop()
    work = tempfile.mkdtemp(prefix="corvane-bench-day-")
    runtime = os.path.join(work, "runtime")
    os.makedirs(runtime, mode=0o700)
    sound_server, pulse = start_sound_server(work)
    env = desktop.env(XDG_RUNTIME_DIR=runtime)
    if pulse:
        env["PULSE_SERVER"] = pulse
    folder = os.path.join(work, "programs")
    os.makedirs(folder)
    for part in ("corvane_110", "corvane_reminder", "libcorvane_sound.so"):
        shutil.copy2(os.path.join(args.programs, part), folder)
    wav = os.path.join(work, "chime.wav")
    write_wave(wav)
    write_settings(folder, settings_text(args.reminders, wav))
    clock = os.path.join(work, "faketime")
    first_due = time.mktime((2026, 12, 7, 9, 0, 0, 0, 0, -1))
    set_offset(clock, int(first_due - 120 - time.time()))
    log_path = os.path.join(work, "runner.log")
    log = open(log_path, "wb")
    proc = subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, stdout=log,
                            stderr=subprocess.STDOUT,
                            env=dict(env, **moving_clock_env(clock),
                                     XDG_STATE_HOME=os.path.join(work, "state")))
    try:
        time.sleep(SETTLE_SECONDS)
        print(f"sound output: {'a private sound server (null sink)' if pulse else 'none'}")
        print(f"runner RSS 60 s after the start, WAVE file set: {rss_kib(proc.pid) / 1024:.1f} MiB (bar: <= 11 MiB)")
        for day in range(2):
            for n in range(args.reminders):
                due = first_due + day * 86400 + n * 60
                set_offset(clock, int(due - 3 - time.time()))
                # The log line of the day's reminder (a day's lines are told apart by their date).
                stamp = time.strftime("%Y-%m-%d", time.localtime(due))
                if not wait_for_line(log_path, f"{stamp} {time.strftime('%H:%M', time.localtime(due))}:00 "
                                     f"お知らせ: 予定 {n} 番", 20):
                    raise RuntimeError(f"day {day + 1}, reminder {n} was not announced; log in {log_path}")
                time.sleep(3.5)  # shown for 2 s, then closed
            time.sleep(SETTLE_SECONDS)
            print(f"window programs alive 60 s after the last window of day {day + 1} closed: "
                  f"{len(child_processes(proc.pid))}")
            print(f"runner RSS 60 s after the last window of day {day + 1} ({args.reminders} reminders) "
                  f"closed: {rss_kib(proc.pid) / 1024:.1f} MiB (bar: <= 12 MiB, flat from day to day)")
        failures = [line for line in open(log_path, encoding="utf-8", errors="replace")
                    if "お知らせ画面のプログラム" in line]
        print(f"window program failures logged: {len(failures)}")
        for line in failures[:5]:
            print("  " + line.rstrip())
    finally:
        stop_runner(proc)
        log.close()
        clean_up(sound_server, desktop, work)


if __name__ == "__main__":
    main()
