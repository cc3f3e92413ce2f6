#!/usr/bin/python3
"""Takes the README picture of the reminder window: the real runner on an Xvfb screen with a
window manager, started under a faked clock a few seconds before two 9:00 entries, and the
screen captured while the reminder is up.

usage: reminder_screenshot.py PROGRAMS_DIR OUT.png [WIDTHxHEIGHT+X+Y crop]
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

from announce_bench import FAKETIME_LIBS, free_display

SETTINGS = ("[時刻]\n0-0=9:00\n0-1=9:00\n[内容]\n0-0=定例会議（第2会議室）\n0-1=週報を提出する\n"
            "[指定日]\n0-0=毎日\n0-1=毎日\n[表示]\n時間=20\n[事前表示]\n時間=0\n"
            "[表示フォーム]\nTOP=1440\nLEFT=1440\nHEIGHT=1455\nWIDTH=4200\nFSIZE=10.5\n")


def main():
    programs, out = sys.argv[1], sys.argv[2]
    crop = sys.argv[3] if len(sys.argv) > 3 else "420x240+0+0"
    number = free_display()
    display = f":{number}"
    xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x800x24", "-dpi", "96",
                             "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    folder = tempfile.mkdtemp(prefix="corvane-shot-")
    runtime = tempfile.mkdtemp(prefix="corvane-shot-rt-")
    os.chmod(runtime, 0o700)
    procs = []
    try:
        while not os.path.exists(f"/tmp/.X11-unix/X{number}"):
            time.sleep(0.05)
        env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8",
                   XDG_RUNTIME_DIR=runtime)
        env.pop("WAYLAND_DISPLAY", None)
        procs.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL))
        shutil.copy2(os.path.join(programs, "corvane_110"), folder)
        with open(os.path.join(folder, "corvane設定.ini"), "wb") as f:
            f.write(SETTINGS.replace("\n", "\r\n").encode("cp932"))
        lib = next(p for p in FAKETIME_LIBS if os.path.exists(p))
        runner_env = dict(env, FAKETIME="@2026-12-07 08:59:57", FAKETIME_DONT_RESET="1", LD_PRELOAD=lib)
        procs.append(subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, env=runner_env))
        deadline = time.time() + 20
        while not subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "2026/12/7"],
                                 env=env, capture_output=True).stdout.strip():
            if time.time() > deadline:
                raise RuntimeError("the reminder window did not come up")
            time.sleep(0.1)
        time.sleep(1.0)  # let the window manager frame and the runner paint it
        shot = os.path.join(folder, "screen.png")
        subprocess.run(["import", "-display", display, "-window", "root", shot], check=True, env=env)
        subprocess.run(["convert", shot, "-crop", crop, "+repage", out], check=True)
        print("saved", out)
    finally:
        for proc in reversed(procs):
            proc.terminate()
            proc.wait(5)
        xvfb.terminate()
        xvfb.wait(5)
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
