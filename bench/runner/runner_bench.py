#!/usr/bin/python3
"""Runner figures: start-up to armed timer with a full settings file, idle memory and wake-ups.

Usage: runner_bench.py PROGRAM [--runs N] [--idle-seconds S]

PROGRAM is the built corvane_110. It is copied into a fresh folder beside a full settings file
(11 categories x 50 entries, 10 abbreviations, 50 holidays, every display and sound key, a real
WAVE file) and started with a private runtime folder, so no real runner is met.
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

# The runner logs this as soon as its one-second timer is armed.
ARMED_LINE = "常駐を開始しました".encode()

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from wavefile import write_wave  # noqa: E402

SOCKET_NAME = "corvane実行"


def full_settings(today, wav="/nonexistent/chime.wav", sound="1"):
    lines = []

    def section(name, pairs):
        lines.append(f"[{name}]")
        lines.extend(f"{k}={v}" for k, v in pairs)

    keys = [f"{c}-{n}" for c in range(11) for n in range(50)]
    dated = lambda c, n: (today + datetime.timedelta(days=n % 2)).strftime("%Y/%-m/%-d") if c == 2 else ""
    section("指定日", [(f"{c}-{n}", dated(c, n) or "毎日") for c in range(11) for n in range(50)])
    # No entry within the next hour or so, so that the idle figures are those between reminders
    # (the window and the sound are made ready only ahead of an entry).
    now = datetime.datetime.now().hour
    hour = lambda i: (i * 7) % 24 if (i * 7 - now) % 24 > 1 else ((i * 7) % 24 + 3) % 24
    section("時刻", [(k, f"{hour(i)}:{(i * 13) % 60:02d}") for i, k in enumerate(keys)])
    section("内容", [(k, f"予定の内容その{i}（会議室Ａ）") for i, k in enumerate(keys)])
    section("祝日", [(f"登録日{n + 1}", (today + datetime.timedelta(days=3 + n * 5)).strftime("%Y/%-m/%-d"))
                   for n in range(50)])
    section("略称登録", [p for k in range(10) for p in ((f"略称{k}", f"予定の内容その{k}（会議室Ａ）"),
                                                     (f"内容{k}", f"定例会議{k}"))])
    section("表示", [("時間", "10")])
    section("事前表示", [("時間", "5")])
    section("経済指標", [("取得", "0"), ("作成日", today.strftime("%Y/%-m/%-d"))])
    section("時差", [("ET", "14"), ("CET", "8"), ("GMT", "9")])
    section("表示フォーム", [("色", "-2147483633"), ("TOP", "1200"), ("LEFT", "2400"), ("HEIGHT", "1455"),
                        ("WIDTH", "2970"), ("FNAME", "ＭＳ Ｐゴシック"), ("FSIZE", "10.5"), ("FBOLD", "1"),
                        ("FITAL", "0"), ("FUNDE", "0"), ("FSTRI", "0"), ("FCOLO", "-2147483630")])
    section("サウンド", [("音", sound), ("音パス", wav), ("音回数", "2"), ("音声", "0"),
                     ("音声TXT", "/tmp/speech.txt"), ("音声SH0", ""), ("音声SH1", ""), ("音声SH2", "")])
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


class Runner:
    def __init__(self, program, folder, runtime):
        self.runtime = runtime
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
        env.setdefault("QT_QPA_PLATFORM", "offscreen")
        self.started = time.perf_counter()
        self.proc = subprocess.Popen([program], cwd=folder, env=env, stderr=subprocess.PIPE)
        self.armed_after = None

    def wait_armed(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            line = self.proc.stderr.readline()
            if not line:
                break
            if ARMED_LINE in line:
                self.armed_after = time.perf_counter() - self.started
                self.cpu_at_armed = schedstat(self.proc.pid)
                return self.armed_after
        raise RuntimeError("runner did not arm")

    def close(self):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.connect(os.path.join(self.runtime, SOCKET_NAME))
            s.sendall(b"close\n")
            s.recv(64)
        self.proc.wait(10)


def write_settled(path, content):
    """Writes the settings file as saved a while ago. A file another program changed in the last
    moment is read only once it has settled (tens of milliseconds), which a real start meets
    only right after a hand edit; the editor's and the runner's own writes never wait."""
    with open(path, "wb") as f:
        f.write(content)
    earlier = time.time() - 5
    os.utime(path, (earlier, earlier))


def schedstat(pid):
    """(ns on a CPU, ns waiting for a CPU) of all the process's threads so far."""
    on_cpu = waiting = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/schedstat") as f:
            fields = f.read().split()
        on_cpu += int(fields[0])
        waiting += int(fields[1])
    return on_cpu, waiting


def proc_figures(pid):
    rss = {}
    switches = 0
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(("VmRSS:", "RssAnon:", "RssFile:", "RssShmem:")):
                rss[line.split(":")[0]] = int(line.split()[1])
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/status") as f:
            for line in f:
                if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                    switches += int(line.split()[1])
    return rss, switches


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program")
    parser.add_argument("--runs", type=int, default=21)
    # 60 s after the start, with the 2 s of settling below.
    parser.add_argument("--idle-seconds", type=float, default=58)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as folder, tempfile.TemporaryDirectory() as runtime:
        os.chmod(runtime, 0o700)
        program = shutil.copy(args.program, os.path.join(folder, "corvane_110"))
        for part in ("libcorvane_sound.so", "corvane_reminder"):
            path = os.path.join(os.path.dirname(args.program), part)
            if os.path.exists(path):
                shutil.copy(path, folder)
        settings = os.path.join(folder, "corvane設定.ini")
        # A real WAVE file, as for a user with sound on (made ready only ahead of an entry).
        wav = os.path.join(folder, "chime.wav")
        write_wave(wav)
        content = full_settings(datetime.date.today(), wav)
        lines = content.count(b"\r\n")

        times = []
        on_cpu = []
        waiting = []
        for _ in range(args.runs):
            write_settled(settings, content)
            runner = Runner(program, folder, runtime)
            times.append(runner.wait_armed() * 1000)
            on_cpu.append(runner.cpu_at_armed[0] / 1e6)
            waiting.append(runner.cpu_at_armed[1] / 1e6)
            runner.close()
        print(f"start-up to armed timer, full settings file ({lines} lines, {len(content)} bytes), "
              f"{args.runs} runs: median {statistics.median(times):.1f} ms, "
              f"min {min(times):.1f} ms, max {max(times):.1f} ms (bar: median <= 100 ms)")
        blocked = [t - c - w for t, c, w in zip(times, on_cpu, waiting)]
        print(f"  of it, median on a CPU {statistics.median(on_cpu):.1f} ms, waiting for a CPU "
              f"{statistics.median(waiting):.1f} ms, blocked (loading libraries, file "
              f"and display server replies) {statistics.median(blocked):.1f} ms (load average now "
              f"{os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs)")

        runner = Runner(program, folder, runtime)
        runner.wait_armed()
        # The floor under the start-up figure: a second runner loads the same libraries, makes
        # its application object and finds the lock taken, then ends without reading anything.
        floor = []
        for _ in range(args.runs):
            second = Runner(program, folder, runtime)
            second.proc.wait(20)
            floor.append((time.perf_counter() - second.started) * 1000)
        print(f"floor (a second runner: process start, libraries, application object, lock refused, exit): "
              f"median {statistics.median(floor):.1f} ms")
        time.sleep(2)
        rss0, sw0 = proc_figures(runner.proc.pid)
        time.sleep(args.idle_seconds)
        rss1, sw1 = proc_figures(runner.proc.pid)
        runner.close()
        print(f"wake-ups: {(sw1 - sw0) / args.idle_seconds:.2f} per second over {args.idle_seconds:.0f} s "
              f"(context switches of all threads; bar: about 1 per second)")
        print_idle_rss("idle RSS, WAVE file set", rss1, 11)

        # The same file with the sound off: the sound plugin (Qt Multimedia) is never loaded.
        write_settled(settings, full_settings(datetime.date.today(), wav, sound="0"))
        runner = Runner(program, folder, runtime)
        runner.wait_armed()
        time.sleep(2 + args.idle_seconds)
        rss, _ = proc_figures(runner.proc.pid)
        runner.close()
        print_idle_rss("idle RSS, sound off", rss, 11)


def print_idle_rss(what, rss, bar_mib):
    # The resident opens no display: the figure is the same on X, on Wayland and without either.
    print(f"{what}: {rss['VmRSS'] / 1024:.1f} MiB (bar: <= {bar_mib} MiB); "
          f"of it private {rss['RssAnon'] / 1024:.1f} MiB, mapped files (libraries, fonts) "
          f"{rss['RssFile'] / 1024:.1f} MiB, shared memory {rss['RssShmem'] / 1024:.1f} MiB")

if __name__ == "__main__":
    sys.exit(main())
