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

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "support"))
from xdesktop import Desktop, Screen, libfaketime, write_settings  # noqa: E402

SETTINGS = ("[時刻]\n0-0=9:00\n0-1=9:00\n[内容]\n0-0=定例会議（第2会議室）\n0-1=週報を提出する\n"
            "[指定日]\n0-0=毎日\n0-1=毎日\n[表示]\n時間=20\n[事前表示]\n時間=0\n"
            "[表示フォーム]\nTOP=1440\nLEFT=1440\nHEIGHT=1455\nWIDTH=4200\nFSIZE=10.5\n")


def main():
    programs, out = sys.argv[1], sys.argv[2]
    crop = sys.argv[3] if len(sys.argv) > 3 else "420x240+0+0"
    desktop = Desktop()
    folder = tempfile.mkdtemp(prefix="corvane-shot-")
    runtime = tempfile.mkdtemp(prefix="corvane-shot-rt-")
    os.chmod(runtime, 0o700)
    procs = []
    try:
        env = desktop.env(XDG_RUNTIME_DIR=runtime)
        screen = Screen(env)
        procs.append(subprocess.Popen(["openbox"], env=env, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL))
        for program in ("corvane_110", "corvane_reminder"):
            shutil.copy2(os.path.join(programs, program), folder)
        write_settings(folder, SETTINGS)
        runner_env = dict(env, FAKETIME="@2026-12-07 08:59:57", FAKETIME_DONT_RESET="1",
                          LD_PRELOAD=libfaketime())
        procs.append(subprocess.Popen([os.path.join(folder, "corvane_110")], cwd=folder, env=runner_env))
        if screen.find_window("  2026/12/7.*", timeout=20.0) is None:
            raise RuntimeError("the reminder window did not come up")
        time.sleep(1.0)  # let the window manager frame and the runner paint it
        size, left, top = crop.split("+")
        width, height = size.split("x")
        screen.screenshot(out, crop=(int(left), int(top), int(width), int(height)))
        print("saved", out)
    finally:
        for proc in reversed(procs):
            proc.terminate()
            proc.wait(5)
        desktop.stop()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
