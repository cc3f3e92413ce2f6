#!/usr/bin/python3
"""Measures the controller as the user meets it, on an Xvfb screen:

  start     from the process launch until the X server maps the controller's window
  quick add from the click on "登　　録" until the new runner's "本日の予定" in the settings
            file lists the entry (close request, 100 ms pause, new runner's start-up)

usage: controller_bench.py PROGRAMS_DIR [RUNS]
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
from xdesktop import SETTINGS, Desktop, MapWatcher, Screen, day_list, processes_running  # noqa: E402

RUNNER, CONTROLLER = "corvane_110", "corvane操作"
ADD = (240, 600, 1695, 375)
TIME = (3360, 720, 855, 270)
TEXT = (2400, 1560, 4575, 270)
REGISTER = (3840, 2040, 1335, 375)


def main():
    programs = sys.argv[1]
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    desktop = Desktop()
    folder = tempfile.mkdtemp(prefix="corvane-ctl-bench-")
    runtime = tempfile.mkdtemp(prefix="corvane-ctl-rt-")
    os.chmod(runtime, 0o700)
    for name in (RUNNER, CONTROLLER):
        shutil.copy2(os.path.join(programs, name), folder)
    env = desktop.env(XDG_RUNTIME_DIR=runtime)
    screen = Screen(env)
    watcher = MapWatcher(env)
    procs = []

    def window():
        win = screen.find_window("corvane", timeout=5.0)
        if win is None:
            raise RuntimeError("controller window not found")
        return win

    def click(win, *control):
        screen.click_twips(win, *control, settle=0)

    def xdotool(*args):
        screen.xdotool(*args, check=False)

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
                if (when, text) in day_list(folder):
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
        for pid in processes_running(os.path.join(folder, RUNNER)):
            os.kill(pid, signal.SIGKILL)
        watcher.stop()
        desktop.stop()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
