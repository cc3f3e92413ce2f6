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
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from wavefile import write_wave  # noqa: E402
from xdesktop import Desktop, MapWatcher, libfaketime, write_settings  # noqa: E402


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
    write_settings(folder, settings_text(minute, wav))
    lib = libfaketime()
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
        mapped = watcher.first_after(t0, "MapNotify", 8.0)
        if mapped is None:
            raise RuntimeError("the reminder window did not come up; log in " + folder)
        unmapped = watcher.first_after(mapped, "UnmapNotify", 30.0)
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


def start_sound_server(folder):
    """A private sound server with a null sink, so the WAVE file is really played; None when
    no server is installed (the runner then logs that it has no audio output)."""
    if not shutil.which("pulseaudio"):
        return None, None
    runtime = os.path.join(folder, "pulse")
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=folder, PULSE_RUNTIME_PATH=runtime)
    proc = subprocess.Popen(["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                             "--use-pid-file=no", "-L", "module-null-sink sink_name=corvane_null",
                             "-L", "module-native-protocol-unix"], env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    socket = os.path.join(runtime, "native")
    deadline = time.time() + 5
    while not os.path.exists(socket) and time.time() < deadline:
        time.sleep(0.05)
    return proc, "unix:" + socket


def main():
    programs = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    desktop = Desktop()
    env = desktop.env()
    work = tempfile.mkdtemp(prefix="corvane-bench-wav-")
    sound_server, pulse = start_sound_server(work)
    if pulse:
        env["PULSE_SERVER"] = pulse
    print("sound output:", "a private sound server (null sink)" if pulse else "none")
    try:
        watcher = MapWatcher(env, clock=time.time)
        wav = os.path.join(work, "chime.wav")
        write_wave(wav)
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
        if sound_server:
            sound_server.terminate()
            sound_server.wait(5)
        desktop.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
