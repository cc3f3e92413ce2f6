#!/usr/bin/python3
"""Measures the reminder as the user meets it: one real runner on an Xvfb screen through twenty
announcements of one day, under a faked clock that the script moves on between them.

  paint    the reminder's text is on screen (its colour appears in the window's pixels, read
           back from the X server) this long after the entry's due second began
  cpu      the CPU time of the runner and its reminder window program (all threads of both,
           and of a window program that has ended since) from 12 s before the due second
           (before the window program is started ahead) until the window has closed and been
           released:
           a 10-s announcement with three WAVE repetitions, against `paplay` playing the same
           file three times after each announcement (the same load on the machine for both)

The first announcement comes 15 s after the runner's start (the first of the day); the others
alternate between an entry long after the previous one (the window was released and is made
ready again) and one a minute after it (the window was kept ready).

usage: announce_bench.py PROGRAMS_DIR
environment: BENCH_SOUND=0 announces without the WAVE file; BENCH_KEEP=1 prints the runner's
log.
The runner's clock is the real one moved by a whole number of seconds (read from a file that
the script rewrites), so each due second begins at a known real instant; the pixel reader's own
delay counts against the figure, never for it.
"""
import ctypes
import os
import re
import resource
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from wavefile import write_wave  # noqa: E402
from xdesktop import Desktop, MapWatcher, TWIPS_PER_PIXEL, child_processes, moving_clock_env, write_settings  # noqa: E402

# Minutes past 9:00 of the twenty entries: a long gap before each odd one, a minute before each
# even one.
MINUTES = [m for k in range(10) for m in (10 * k + 1, 10 * k + 10)]
LEAD_SECONDS = 15
# The window's place and its label (twips), the text red on white, so its pixels are unmistakable.
LEFT, TOP = 1500, 1500
LABEL_LEFT, LABEL_TOP, LABEL_WIDTH, LABEL_HEIGHT = 240, 180, 2490, 1095
# 32 bits a pixel, B G R x, read from the first pixel on: a red text pixel (anti-aliased edges
# included) on white.
RED_PIXEL = re.compile(rb"(?:....)*?[\x00-\x7f][\x00-\x7f][\xc9-\xff]", re.S)


def task_cpu_seconds(pid):
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except (FileNotFoundError, ProcessLookupError):
        return 0.0
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / 1e9


def cpu_seconds(pid):
    """The runner's CPU, its live children's (the window program) and that of the children it
    has reaped (in clock ticks)."""
    total = task_cpu_seconds(pid)
    for child in child_processes(pid, zombies=True):
        total += task_cpu_seconds(child)
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # cutime and cstime: the 14th and 15th fields after the name.
    return total + (int(fields[13]) + int(fields[14])) / os.sysconf("SC_CLK_TCK")


def settings_text(wav):
    entries = "".join("0-%d=%d:%02d\n" % (n, 9 + m // 60, m % 60) for n, m in enumerate(MINUTES))
    texts = "".join("0-%d=ベンチマーク %d 分の予定\n" % (n, m) for n, m in enumerate(MINUTES))
    dates = "".join("0-%d=毎日\n" % n for n in range(len(MINUTES)))
    return ("[時刻]\n" + entries + "[内容]\n" + texts + "[指定日]\n" + dates +
            "[表示]\n時間=10\n[事前表示]\n時間=0\n"
            "[表示フォーム]\n色=16777215\nFCOLO=255\nTOP=%d\nLEFT=%d\nFSIZE=12\n"
            "[サウンド]\n音=%s\n音パス=%s\n音回数=3\n音声=0\n"
            % (TOP, LEFT, os.environ.get("BENCH_SOUND", "1"), wav))


class TextWatcher:
    """Reads the label's area of the screen from the X server every 2 ms and timestamps the
    first read that shows the text colour after each arm()."""

    class XImage(ctypes.Structure):
        _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                    ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint8)),
                    ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                    ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                    ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                    ("bits_per_pixel", ctypes.c_int)]

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(self.XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        self.root = self.x11.XDefaultRootWindow(self.display)
        self.box = ((LEFT + LABEL_LEFT) // TWIPS_PER_PIXEL, (TOP + LABEL_TOP) // TWIPS_PER_PIXEL,
                    LABEL_WIDTH // TWIPS_PER_PIXEL, LABEL_HEIGHT // TWIPS_PER_PIXEL // 2)
        self.seen = None
        self.armed = threading.Event()
        self.stopped = False
        threading.Thread(target=self._poll, daemon=True).start()

    def _has_text(self):
        x, y, w, h = self.box
        image = self.x11.XGetImage(self.display, self.root, x, y, w, h, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return False
        img = image.contents
        data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
        self.x11.XFree(img.data)
        self.x11.XFree(image)
        return RED_PIXEL.match(data) is not None

    def _poll(self):
        while not self.stopped:
            if not self.armed.wait(0.1):
                continue
            if self._has_text():
                self.seen = time.time()
                self.armed.clear()
            else:
                time.sleep(0.002)

    def arm(self):
        self.seen = None
        self.armed.set()

    def wait(self, timeout):
        deadline = time.time() + timeout
        while self.seen is None and time.time() < deadline:
            time.sleep(0.002)
        return self.seen

    def stop(self):
        self.stopped = True


def set_offset(path, seconds):
    with open(path + ".new", "w") as f:
        f.write("%+ds\n" % seconds)
    os.replace(path + ".new", path)


def run_day(programs, env, maps, text, wav, plays):
    folder, runtime = runner_folder(programs, settings_text(wav), real_clock_window=True)
    clock_file = os.path.join(folder, "faketime")
    fake_due = lambda minute: time.mktime((2026, 12, 7, 9, minute, 0, 0, 0, -1))
    # A whole-second offset keeps the runner's seconds on the real ones, so the real instant at
    # which the due second begins is known exactly, however late the process starts.
    offset = int(fake_due(MINUTES[0]) - LEAD_SECONDS - time.time())
    set_offset(clock_file, offset)
    child_env = dict(env, XDG_RUNTIME_DIR=runtime, **moving_clock_env(clock_file))
    log = open(os.path.join(folder, "runner.log"), "wb")
    proc = subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, env=child_env,
                            stdout=log, stderr=subprocess.STDOUT)
    results = []
    try:
        for n, minute in enumerate(MINUTES):
            if n:
                # The previous window has been released (or kept) by now; move the runner's
                # clock on to LEAD_SECONDS before the next entry.
                offset = int(fake_due(minute) - LEAD_SECONDS - time.time())
                set_offset(clock_file, offset)
            due = fake_due(minute) - offset
            time.sleep(max(0.0, due - 12 - time.time()))
            cpu_before = cpu_seconds(proc.pid)
            time.sleep(max(0.0, due - 0.5 - time.time()))
            cpu_shown = cpu_seconds(proc.pid)
            text.arm()
            painted = text.wait(8.0)
            if painted is None:
                raise RuntimeError("the reminder's text did not come up; log in " + folder)
            unmapped = maps.first_after(painted, "UnmapNotify", 30.0)
            if unmapped is None:
                raise RuntimeError("the reminder window did not close")
            time.sleep(0.3)
            cpu_closed = cpu_seconds(proc.pid)
            time.sleep(1.2)  # the release follows at the next check
            results.append((painted - due, cpu_seconds(proc.pid) - cpu_before, unmapped - due,
                            cpu_closed - cpu_shown))
            if plays is not None:
                # Between the announcements, so that both meet the same load on the machine.
                plays.append(paplay_cpu(env, wav))
    finally:
        stop_runner(proc)
        log.close()
        if os.environ.get("BENCH_KEEP"):
            print(open(os.path.join(folder, "runner.log"), encoding="utf-8", errors="replace").read())
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)
    return results


def bare_window_cpu(programs, env, runs=10):
    """Median CPU milliseconds of bench_bare_window (built beside the benchmarks, in
    PROGRAMS_DIR/../bench/bin) from its start to its end; None when it was not built."""
    program = os.path.join(programs, "..", "bench", "bin", "bench_bare_window")
    if not os.path.exists(program):
        return None
    costs = []
    for _ in range(runs):
        child = subprocess.Popen([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(child.pid, 0)
        costs.append((usage.ru_utime + usage.ru_stime) * 1000)
    return statistics.median(costs)


def paplay_cpu(env, wav):
    """CPU seconds of `paplay` playing the file three times, one after the other."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    for _ in range(3):
        subprocess.run(["paplay", wav], env=env, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)


def runner_folder(programs, settings, real_clock_window=False):
    """A programs' folder with the runner, its window program and sound plugin and `settings`,
    and a private runtime folder: (folder, runtime).

    real_clock_window: the window program runs without the runner's faked clock, as on a user's
    desktop. libfaketime, inherited from the runner, costs a window program more CPU than its
    whole start; a launcher (a shell that drops it and execs the program) starts it instead, and
    its own cost counts against the figures."""
    folder = tempfile.mkdtemp(prefix="corvane-bench-")
    runtime = tempfile.mkdtemp(prefix="corvane-bench-rt-")
    os.chmod(runtime, 0o700)
    for program in ("corvane_110", "libcorvane_sound.so", "corvane_reminder"):
        shutil.copy2(os.path.join(programs, program), folder)
    if real_clock_window:
        os.rename(os.path.join(folder, "corvane_reminder"), os.path.join(folder, "corvane_reminder.real"))
        launcher = os.path.join(folder, "corvane_reminder")
        with open(launcher, "w") as f:
            f.write("#!/bin/sh\nunset LD_PRELOAD FAKETIME_TIMESTAMP_FILE FAKETIME_CACHE_DURATION "
                    "FAKETIME_DONT_FAKE_MONOTONIC\nexec \"$0.real\"\n")
        os.chmod(launcher, 0o755)
    write_settings(folder, settings)
    return folder, runtime


def stop_runner(proc):
    """Asks the runner to end as a session ending would, and kills it after 5 s."""
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()


def clean_up(sound_server, desktop, work):
    """What every benchmark ends with: its sound server, its X server and its folder gone."""
    if sound_server:
        sound_server.terminate()
        sound_server.wait(5)
    desktop.stop()
    shutil.rmtree(work, ignore_errors=True)


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
    desktop = Desktop()
    env = desktop.env()
    work = tempfile.mkdtemp(prefix="corvane-bench-wav-")
    sound_server, pulse = start_sound_server(work)
    if pulse:
        env["PULSE_SERVER"] = pulse
    print("sound output:", "a private sound server (null sink)" if pulse else "none",
          "; sound", "off" if os.environ.get("BENCH_SOUND") == "0" else "on (3 repetitions)")
    try:
        maps = MapWatcher(env, clock=time.time)
        text = TextWatcher(desktop.display)
        wav = os.path.join(work, "chime.wav")
        write_wave(wav)
        plays = [] if pulse and shutil.which("paplay") and os.environ.get("BENCH_SOUND") != "0" else None
        results = run_day(programs, env, maps, text, wav, plays)
        for n, (paint, cpu, closed, shown_cpu) in enumerate(results):
            kind = "first of the day" if n == 0 else ("after a release" if n % 2 else "kept ready")
            print(f"{9 + MINUTES[n] // 60}:{MINUTES[n] % 60:02d} ({kind}): text on screen {paint * 1000:6.1f} ms after the due second; "
                  f"closed after {closed:5.2f} s; runner CPU {cpu * 1000:6.1f} ms, of it "
                  f"{shown_cpu * 1000:6.1f} ms from the due second to the close")
        paints = [r[0] * 1000 for r in results]
        cpus = [r[1] * 1000 for r in results]
        shown_cpus = [r[3] * 1000 for r in results]
        print(f"text on screen: median {statistics.median(paints):.1f} ms, worst {max(paints):.1f} ms "
              f"over {len(paints)} announcements, the first of the day {paints[0]:.1f} ms (bar: 100 ms)")
        print(f"runner + window program CPU per announcement (getting ready, showing, 3 WAVE plays if on, closing, "
              f"releasing): median {statistics.median(cpus):.1f} ms, first of the day {cpus[0]:.1f} ms; "
              f"from 0.5 s before the due second to the close: median {statistics.median(shown_cpus):.1f} ms")
        # The first of the day and each one after a release start their window program.
        cold, kept = cpus[:1] + cpus[1::2], cpus[2::2]
        print(f"  window program started for the announcement: median {statistics.median(cold):.1f} ms; "
              f"kept ready from the one before: median {statistics.median(kept):.1f} ms (bar: 100 ms)")
        bare = bare_window_cpu(programs, env)
        if bare is not None:
            print(f"  a bare Qt Widgets window program (one label, ended after its first paint) on this machine: "
                  f"median {bare:.1f} ms CPU, the floor under every cold start")
        if plays:
            plays = [p * 1000 for p in plays]
            print(f"paplay playing the file 3 times, after each announcement: median "
                  f"{statistics.median(plays):.1f} ms CPU; "
                  f"runner / paplay = {statistics.median(cpus) / statistics.median(plays):.2f} with "
                  f"getting ready and releasing, {statistics.median(shown_cpus) / statistics.median(plays):.2f} "
                  f"from the due second to the close (bar: <= 1.2)")
        print(f"load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} CPUs")
        text.stop()
        maps.stop()
    finally:
        clean_up(sound_server, desktop, work)


if __name__ == "__main__":
    main()
