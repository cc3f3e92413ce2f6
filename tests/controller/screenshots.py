#!/usr/bin/python3
"""Takes the controller's pictures for docs/: the real runner and controller on an Xvfb
screen at 96 DPI (no window manager, so the pictures show the windows' client areas).

usage: screenshots.py PROGRAMS_DIR OUTPUT_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdesktop import Desktop, Screen, write_settings  # noqa: E402

ADD = (240, 600, 1695, 375)
VIEW = (240, 120, 1695, 375)
TIME = (3360, 720, 855, 270)
TEXT = (2400, 1560, 4575, 270)

SETTINGS = """[時刻]
0-0=9:00
0-1=12:00
0-2=17:30
2-0=10:05
[内容]
0-0=朝
0-1=昼休み
0-2=日報
2-0=客
[指定日]
0-0=毎日
0-1=毎日
0-2=毎日
2-0={today}
[略称登録]
略称0=朝
内容0=朝会（第二会議室）
略称1=客
内容1=来客対応
[表示]
時間=10
"""


def main():
    programs, output = sys.argv[1], sys.argv[2]
    os.makedirs(output, exist_ok=True)
    desktop = Desktop()
    folder = tempfile.mkdtemp(prefix="corvane-shots-")
    runtime = tempfile.mkdtemp(prefix="corvane-shots-rt-")
    os.chmod(runtime, 0o700)
    for name in ("corvane_110", "corvane操作"):
        shutil.copy2(os.path.join(programs, name), folder)
    today = time.localtime()
    text = SETTINGS.format(today=f"{today.tm_year}/{today.tm_mon}/{today.tm_mday}")
    write_settings(folder, text)
    env = desktop.env(XDG_RUNTIME_DIR=runtime)
    screen = Screen(env)
    procs = []

    def find(title):
        win = screen.find_window(title)
        if win is None:
            raise RuntimeError(f"window {title} not found")
        return win

    def click(win, *control):
        screen.click_twips(win, *control, settle=0.4)

    def shoot(name, boxes):
        left = min(b[0] for b in boxes) - 8
        top = min(b[1] for b in boxes) - 8
        right = max(b[0] + b[2] for b in boxes) + 8
        bottom = max(b[1] + b[3] for b in boxes) + 8
        screen.screenshot(os.path.join(output, name), crop=(left, top, right - left, bottom - top))

    try:
        for program in ("corvane_110", "corvane操作"):
            procs.append(subprocess.Popen([os.path.join(folder, program)], cwd=folder, env=env,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(1.0)
        ctl = find("corvane")
        click(ctl, *ADD)
        click(ctl, *TIME)
        screen.type_text("15:30")
        click(ctl, *TEXT)
        screen.type_text("資料を送る")
        time.sleep(0.5)
        shoot("controller-panel.png", [screen.geometry(ctl)])

        click(ctl, *VIEW)
        viewer = find("表示予定")
        time.sleep(0.5)
        shoot("controller-viewer.png", [screen.geometry(ctl), screen.geometry(viewer)])
    finally:
        for proc in procs:
            proc.kill()
            proc.wait()
        desktop.stop()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
