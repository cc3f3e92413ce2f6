#!/usr/bin/python3
"""Measures the reminder as the user meets it: the real runner on an Xvfb screen, started
under a faked clock 3 s before an entry falls due.

  latency  the window is mapped on the X server this long after the entry's due second began
  cpu      the runner's CPU time (all threads) from 0.5 s before the due second until the
           window has closed: a 10-s announcement with three WAVE repetitions

usage: announce_bench.py PROGRAMS_DIR [RUNS]
environment: BENCH_SOUND=0 announces without the WAVE file; BENCH_KEEP=1 prints each
runner's log.
The runner's clock is the real one moved by a whole number of seconds, so the due second
begins at a known real instant; the X server's map event is timestamped by a reader process,
whose own delay counts against the figure, never for it.
"""
import os
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

FAKETIME_LIBS = ("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                 "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1")


def free_display():
    for n in range(200, 300):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free X display")


def wave(path, seconds=1.0, rate=22050):
    samples = int(rate * seconds)
    pcm = b"".join(struct.pack("<h", 6000 if (i // 25) % 2 else -6000) for i in range(samples))
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + len(pcm)) + b"WAVEfmt "
                + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16)
                + b"data" + struct.pack("<I", len(pcm)) + pcm)


class MapWatcher:
    """Timestamps MapNotify/UnmapNotify of top-level windows as the X server reports them."""

    def __init__(self, env):
        self.events = []
        self.lock = threading.Lock()
        self.proc = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                                     env=env, stdout=subprocess.PIPE, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            now = time.time()
            for kind in ("MapNotify", "UnmapNotify"):
                if line.startswith(kind):
                    with self.lock:
                        self.events.append((now, kind))

    def first_after(self, kind, t, timeout):
        deadline = time.time() + timeout
        while time.time() < deadline:
            with self.lock:
                for when, k in self.events:
                    if k == kind and when >= t:
                        return when
            time.sleep(0.002)
        return None

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)


def cpu_seconds(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / 1e9


def settings_text(minute, wav):
    return ("[時刻]\n0-0=9:%02d\n[内容]\n0-0=ベンチマーク %d 分の予定\n[指定日]\n0-0=毎日\n"
            "[表示]\n時間=10\n[事前表示]\n時間=0\n"
            "[サウンド]\n音=%s\n音パス=%s\n音回数=3\n音声=0\n" % (minute, minute, os.environ.get("BENCH_SOUND", "1"), wav))


def run_once(programs, env, watcher, minute, wav):
    folder = tempfile.mkdtemp(prefix="corvane-bench-")
    runtime = tempfile.mkdtemp(prefix="corvane-bench-rt-")
    os.chmod(runtime, 0o700)
    shutil.copy2(os.path.join(programs, "corvane_110"), folder)
    with open(os.path.join(folder, "corvane設定.ini"), "wb") as f:
        f.write(settings_text(minute, wav).replace("\n", "\r\n").encode("cp932"))
    lib = next(p for p in FAKETIME_LIBS if os.path.exists(p))
    # A whole-second offset keeps the runner's seconds on the real ones, so the real instant at
    # which the due second begins is known exactly, however late the process starts.
    fake_due = time.mktime((2026, 12, 7, 9, minute, 0, 0, 0, -1))
    offset = int(fake_due - 3.5 - time.time())
    due = fake_due - offset
    child_env = dict(env, XDG_RUNTIME_DIR=runtime, FAKETIME="%+ds" % offset, LD_PRELOAD=lib)
    log = open(os.path.join(folder, "runner.log"), "wb")
    t0 = time.time()
    proc = subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, env=child_env,
                            stdout=log, stderr=subprocess.STDOUT)
    try:
        time.sleep(max(0.0, due - 0.5 - time.time()))
        cpu_before = cpu_seconds(proc.pid)
        mapped = watcher.first_after("MapNotify", t0, 8.0)
        if mapped is None:
            raise RuntimeError("the reminder window did not come up; log in " + folder)
        unmapped = watcher.first_after("UnmapNotify", mapped, 30.0)
        if unmapped is None:
            raise RuntimeError("the reminder window did not close")
        time.sleep(0.3)
        cpu_after = cpu_seconds(proc.pid)
        return mapped - due, cpu_after - cpu_before, unmapped - mapped
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
        log.close()
        if os.environ.get("BENCH_KEEP"):
            print(open(os.path.join(folder, "runner.log"), encoding="utf-8", errors="replace").read())
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


def main():
    programs = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    number = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x800x24", "-dpi", "96",
                             "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    env = dict(os.environ, DISPLAY=f":{number}", QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    work = tempfile.mkdtemp(prefix="corvane-bench-wav-")
    try:
        deadline = time.time() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            if time.time() > deadline:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)
        watcher = MapWatcher(env)
        time.sleep(0.3)
        wav = os.path.join(work, "chime.wav")
        wave(wav)
        latencies, cpus = [], []
        for i in range(runs):
            latency, cpu, shown = run_once(programs, env, watcher, 1 + i, wav)
            latencies.append(latency * 1000)
            cpus.append(cpu * 1000)
            print(f"run {i + 1}: window on screen {latency * 1000:6.1f} ms after the due second; "
                  f"shown {shown:5.2f} s; runner CPU {cpu * 1000:5.1f} ms", flush=True)
        print(f"window latency: median {statistics.median(latencies):.1f} ms, "
              f"worst {max(latencies):.1f} ms over {runs} announcements (bar: 100 ms)")
        print(f"runner CPU during a 10-s announcement with 3 repetitions: "
              f"median {statistics.median(cpus):.1f} ms, worst {max(cpus):.1f} ms (bar: 50 ms)")
        watcher.stop()
    finally:
        xvfb.terminate()
        xvfb.wait(5)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
