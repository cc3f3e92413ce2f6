#!/usr/bin/python3
"""Measures the controller as the user meets it, on an Xvfb screen:

  start     from the process launch until the X server maps the controller's window
  quick add from the click on "登　　録" until the new runner's "本日の予定" in the settings
            file lists the entry (close request, 100 ms pause, new runner's start-up)

usage: controller_bench.py PROGRAMS_DIR [RUNS]
"""
import configparser
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

TWIPS_PER_PIXEL = 15  # 96 DPI
SETTINGS = "corvane設定.ini"
RUNNER, CONTROLLER = "corvane_110", "corvane操作"
ADD = (240, 600, 1695, 375)
TIME = (3360, 720, 855, 270)
TEXT = (2400, 1560, 4575, 270)
REGISTER = (3840, 2040, 1335, 375)


def free_display():
    for n in range(300, 400):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free X display")


class MapWatcher:
    """Timestamps the MapNotify events of top-level windows as the X server reports them."""

    def __init__(self, env):
        self.maps = []
        self.lock = threading.Lock()
        self.proc = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                                     env=env, stdout=subprocess.PIPE, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()
        time.sleep(0.5)

    def _read(self):
        for line in self.proc.stdout:
            if line.startswith("MapNotify"):
                with self.lock:
                    self.maps.append(time.monotonic())

    def first_after(self, instant, timeout=5.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            with self.lock:
                later = [t for t in self.maps if t >= instant]
            if later:
                return later[0]
            time.sleep(0.002)
        return None

    def stop(self):
        self.proc.kill()
        self.proc.wait()


def today_list(folder):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    try:
        with open(os.path.join(folder, SETTINGS), "rb") as f:
            parser.read_string(f.read().decode("cp932"))
    except (FileNotFoundError, configparser.Error, UnicodeDecodeError):
        return []
    if not parser.has_section("本日の予定"):
        return []
    section = parser["本日の予定"]
    entries, n = [], 0
    while section.get(f"時刻{n}"):
        entries.append((section[f"時刻{n}"], section.get(f"内容{n}", "")))
        n += 1
    return entries


def main():
    programs = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    display = free_display()
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1280x800x24", "-dpi", "96",
                             "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not os.path.exists(f"/tmp/.X11-unix/X{display}"):
        time.sleep(0.05)
    folder = tempfile.mkdtemp(prefix="corvane-ctl-bench-")
    runtime = tempfile.mkdtemp(prefix="corvane-ctl-rt-")
    os.chmod(runtime, 0o700)
    for name in (RUNNER, CONTROLLER):
        shutil.copy2(os.path.join(programs, name), folder)
    env = dict(os.environ, DISPLAY=f":{display}", XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
               LC_ALL="C.UTF-8")
    env.pop("WAYLAND_DISPLAY", None)
    watcher = MapWatcher(env)
    procs = []

    def xdotool(*args):
        return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout

    def window():
        for _ in range(100):
            ids = xdotool("search", "--onlyvisible", "--name", "^corvane$").split()
            if ids:
                return ids[-1]
            time.sleep(0.05)
        raise RuntimeError("controller window not found")

    def click(win, left, top, width, height):
        out = xdotool("getwindowgeometry", "--shell", win)
        geo = dict(line.split("=", 1) for line in out.split() if "=" in line)
        x = int(geo["X"]) + (left + width / 2) / TWIPS_PER_PIXEL
        y = int(geo["Y"]) + (top + height / 2) / TWIPS_PER_PIXEL
        xdotool("mousemove", "--sync", str(int(x)), str(int(y)))
        xdotool("click", "1")

    try:
        # Start-up: a fresh process each run, window mapped.
        starts = []
        for _ in range(runs):
            launched = time.monotonic()
            proc = subprocess.Popen([os.path.join(folder, CONTROLLER)], cwd=folder, env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            mapped = watcher.first_after(launched)
            if mapped is not None:
                starts.append((mapped - launched) * 1000)
            proc.kill()
            proc.wait()
            time.sleep(0.2)

        # Quick add: one controller, a runner, one registration per run.
        procs.append(subprocess.Popen([os.path.join(folder, RUNNER)], cwd=folder, env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(folder, SETTINGS)) and time.monotonic() < deadline:
            time.sleep(0.05)
        procs.append(subprocess.Popen([os.path.join(folder, CONTROLLER)], cwd=folder, env=env,
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        win = window()
        time.sleep(0.5)
        adds = []
        when = time.strftime("%H:%M", time.localtime(time.time() + 180)).lstrip("0") or "0"
        if when.startswith(":"):
            when = "0" + when
        for run in range(runs):
            text = f"bench{run}"
            click(win, *ADD)
            click(win, *TIME)
            xdotool("key", "ctrl+a")
            xdotool("type", when)
            click(win, *TEXT)
            xdotool("key", "ctrl+a")
            xdotool("type", text)
            time.sleep(0.3)
            clicked = time.monotonic()
            click(win, *REGISTER)
            listed = None
            while time.monotonic() - clicked < 10:
                if (when, text) in today_list(folder):
                    listed = time.monotonic()
                    break
                time.sleep(0.005)
            if listed is not None:
                adds.append((listed - clicked) * 1000)
            time.sleep(1.0)

        def report(name, values, bar):
            if not values:
                print(f"{name}: no measurement")
                return
            print(f"{name}: median {statistics.median(values):.0f} ms, min {min(values):.0f}, "
                  f"max {max(values):.0f} over {len(values)} runs (bar {bar} ms)")

        report("start to window mapped", starts, 250)
        report("quick add click to entry in the new runner's list", adds, 1000)
    finally:
        for proc in procs:
            proc.kill()
            proc.wait()
        out = subprocess.run(["pgrep", "-f", os.path.join(folder, RUNNER)], capture_output=True,
                             text=True).stdout
        for pid in out.split():
            subprocess.run(["kill", "-9", pid])
        watcher.stop()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
