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

TWIPS_PER_PIXEL = 15
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
    display = next(n for n in range(400, 500) if not os.path.exists(f"/tmp/.X11-unix/X{n}"))
    xvfb = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1280x800x24", "-dpi", "96",
                             "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    while not os.path.exists(f"/tmp/.X11-unix/X{display}"):
        time.sleep(0.05)
    folder = tempfile.mkdtemp(prefix="corvane-shots-")
    runtime = tempfile.mkdtemp(prefix="corvane-shots-rt-")
    os.chmod(runtime, 0o700)
    for name in ("corvane_110", "corvane操作"):
        shutil.copy2(os.path.join(programs, name), folder)
    today = time.localtime()
    text = SETTINGS.format(today=f"{today.tm_year}/{today.tm_mon}/{today.tm_mday}")
    with open(os.path.join(folder, "corvane設定.ini"), "wb") as f:
        f.write(text.replace("\n", "\r\n").encode("cp932"))
    env = dict(os.environ, DISPLAY=f":{display}", XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
               LC_ALL="C.UTF-8")
    procs = []

    def xdotool(*args):
        return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True).stdout

    def geometry(win):
        out = xdotool("getwindowgeometry", "--shell", win)
        geo = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(geo["X"]), int(geo["Y"]), int(geo["WIDTH"]), int(geo["HEIGHT"])

    def find(title):
        for _ in range(100):
            ids = xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()
            if ids:
                return ids[-1]
            time.sleep(0.1)
        raise RuntimeError(f"window {title} not found")

    def click(win, left, top, width, height):
        x, y, _, _ = geometry(win)
        xdotool("mousemove", "--sync", str(int(x + (left + width / 2) / TWIPS_PER_PIXEL)),
                str(int(y + (top + height / 2) / TWIPS_PER_PIXEL)))
        xdotool("click", "1")
        time.sleep(0.4)

    def shoot(name, boxes):
        left = min(b[0] for b in boxes) - 8
        top = min(b[1] for b in boxes) - 8
        right = max(b[0] + b[2] for b in boxes) + 8
        bottom = max(b[1] + b[3] for b in boxes) + 8
        whole = os.path.join(folder, "screen.png")
        subprocess.run(["import", "-display", f":{display}", "-window", "root", whole], check=True, env=env)
        subprocess.run(["convert", whole, "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                        "+repage", os.path.join(output, name)], check=True)

    try:
        for program in ("corvane_110", "corvane操作"):
            procs.append(subprocess.Popen([os.path.join(folder, program)], cwd=folder, env=env,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(1.0)
        ctl = find("corvane")
        click(ctl, *ADD)
        click(ctl, *TIME)
        xdotool("type", "--delay", "40", "15:30")
        click(ctl, *TEXT)
        xdotool("type", "--delay", "40", "資料を送る")
        time.sleep(0.5)
        shoot("controller-panel.png", [geometry(ctl)])

        click(ctl, *VIEW)
        viewer = find("表示予定")
        time.sleep(0.5)
        shoot("controller-viewer.png", [geometry(ctl), geometry(viewer)])
    finally:
        for proc in procs:
            proc.kill()
            proc.wait()
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(folder, ignore_errors=True)
        shutil.rmtree(runtime, ignore_errors=True)


if __name__ == "__main__":
    main()
