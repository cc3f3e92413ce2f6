"""Drives the real programs on a real X server, as a user would: windows found by title,
clicks at the controls' places (twips at 96 DPI), keys typed through the X server. The only
observations are the settings file and the screen."""
import configparser
import os
import shutil
import signal
import subprocess
import tempfile
import time

TWIPS_PER_PIXEL = 15  # 1440 twips per inch at 96 DPI

SETTINGS = "corvane設定.ini"
RUNNER, EDITOR, CONTROLLER = "corvane_110", "corvane設定", "corvane操作"


def free_display():
    for n in range(90, 190):
        if not os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock"):
            return n
    raise RuntimeError("no free X display")


class Desktop:
    """An Xvfb screen at 96 DPI with no window manager: a window's geometry is its client area."""

    def __init__(self, width=1280, height=800):
        self.number = free_display()
        self.display = f":{self.number}"
        self.proc = subprocess.Popen(
            ["Xvfb", self.display, "-screen", "0", f"{width}x{height}x24", "-dpi", "96", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while not os.path.exists(f"/tmp/.X11-unix/X{self.number}"):
            if time.monotonic() > deadline or self.proc.poll() is not None:
                raise RuntimeError("Xvfb did not start")
            time.sleep(0.05)

    def stop(self):
        self.proc.terminate()
        self.proc.wait(5)


class Suite:
    """The three programs copied into a fresh programs' folder, with a private runtime folder so
    that no other runner is ever seen."""

    def __init__(self, desktop, programs_dir, artefacts_dir, name="suite"):
        self.name = name
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="corvane-e2e-")
        self.runtime = tempfile.mkdtemp(prefix="corvane-rt-")
        os.chmod(self.runtime, 0o700)
        self.artefacts = artefacts_dir
        os.makedirs(artefacts_dir, exist_ok=True)
        for name in (RUNNER, EDITOR, CONTROLLER):
            shutil.copy2(os.path.join(programs_dir, name), self.folder)
        self.procs = []
        self.logs = []

    def env(self, fake_time=None):
        env = dict(os.environ)
        env.update(DISPLAY=self.desktop.display, XDG_RUNTIME_DIR=self.runtime,
                   QT_QPA_PLATFORM="xcb", LANG="ja_JP.UTF-8", LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        if fake_time:
            # The clock starts at fake_time when the process starts and then runs on; child
            # processes (a runner restarted by the editor) start again at fake_time.
            env["FAKETIME"] = "@" + fake_time
            env["LD_PRELOAD"] = self._libfaketime()
            env["FAKETIME_DONT_RESET"] = "1"
        return env

    @staticmethod
    def _libfaketime():
        for path in ("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                     "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1"):
            if os.path.exists(path):
                return path
        raise RuntimeError("libfaketime not found")

    def start(self, program, fake_time=None):
        log = open(os.path.join(self.artefacts, f"{self.name}-{program}-{len(self.logs)}.log"), "wb")
        self.logs.append(log)
        proc = subprocess.Popen([os.path.join(self.folder, program)], cwd=self.folder,
                                env=self.env(fake_time), stdout=log, stderr=subprocess.STDOUT)
        self.procs.append(proc)
        return proc

    def settings_path(self):
        return os.path.join(self.folder, SETTINGS)

    def write_settings(self, text):
        with open(self.settings_path(), "wb") as f:
            f.write(text.replace("\n", "\r\n").encode("cp932"))

    def settings(self):
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str
        try:
            with open(self.settings_path(), "rb") as f:
                parser.read_string(f.read().decode("cp932"))
        except FileNotFoundError:
            pass
        return parser

    def runner_pids(self):
        out = subprocess.run(["pgrep", "-f", os.path.join(self.folder, RUNNER)],
                             capture_output=True, text=True).stdout
        return [int(p) for p in out.split()]

    def stop(self):
        for pid in self.runner_pids():
            os.kill(pid, signal.SIGTERM)
        for proc in self.procs:
            if proc.poll() is None:
                proc.kill()
                proc.wait(5)
        for log in self.logs:
            log.close()
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.runtime, ignore_errors=True)

    # --- the X server ------------------------------------------------------------------

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env(), capture_output=True,
                              text=True, check=check).stdout

    def find_window(self, title, timeout=10.0):
        """The id of a visible window whose title is exactly `title`, waiting for it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            out = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False)
            ids = out.split()
            if ids:
                return ids[-1]
            time.sleep(0.1)
        return None

    def window_gone(self, title, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False).split():
                return True
            time.sleep(0.1)
        return False

    def geometry(self, window):
        out = self.xdotool("getwindowgeometry", "--shell", window)
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click_twips(self, window, left, top, width, height):
        """Clicks the middle of a control placed at (left, top, width, height) twips."""
        x, y, _, _ = self.geometry(window)
        cx = x + (left + width / 2) / TWIPS_PER_PIXEL
        cy = y + (top + height / 2) / TWIPS_PER_PIXEL
        self.xdotool("mousemove", "--sync", str(int(cx)), str(int(cy)))
        self.xdotool("click", "1")
        time.sleep(0.3)

    def type_text(self, text):
        self.xdotool("type", "--delay", "30", text)
        time.sleep(0.2)

    def key(self, *keys):
        self.xdotool("key", *keys)
        time.sleep(0.2)

    def screenshot(self, name):
        path = os.path.join(self.artefacts, name)
        subprocess.run(["import", "-display", self.desktop.display, "-window", "root", path],
                       check=True, env=self.env())
        return path


def wait_until(predicate, timeout=10.0, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()
