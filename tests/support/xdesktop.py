"""A private X screen for running the real programs as a user meets them: an Xvfb screen at
96 DPI, xdotool to find, click and type, ImageMagick to take pictures, map events timestamped
as the X server reports them, and the settings file as the programs wrote it.

Used by the end-to-end tests, the benchmarks that time windows and the scripts that take the
pictures for docs/."""
import configparser
import os
import select
import subprocess
import threading
import time

TWIPS_PER_PIXEL = 15  # 1440 twips per inch at 96 DPI
SETTINGS = "corvane設定.ini"
FAKETIME_LIBS = ("/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1",
                 "/usr/lib/aarch64-linux-gnu/faketime/libfaketime.so.1")


def child_processes(parent_pid=None, name_prefix="", zombies=False):
    """Pids of the processes whose parent is `parent_pid` (any parent when None) and whose name
    starts with `name_prefix`, read from /proc; ended ones not yet reaped only with `zombies`."""
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as f:
                stat = f.read()
        except (FileNotFoundError, ProcessLookupError, NotADirectoryError, IsADirectoryError):
            continue
        name = stat[stat.index("(") + 1:stat.rindex(")")]
        state, parent = stat.rsplit(")", 1)[1].split()[:2]
        if ((parent_pid is None or int(parent) == parent_pid) and name.startswith(name_prefix)
                and (zombies or state != "Z")):
            found.append(int(entry))
    return found


def processes_running(program):
    """Pids of the processes running `program`, known by their executable: a program started
    by another one is named by its resolved path, whatever its command line says."""
    program = os.path.realpath(program)
    pids = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                if os.readlink(f"/proc/{entry}/exe") == program:
                    pids.append(int(entry))
            except OSError:
                pass
    return sorted(pids)


def libfaketime():
    for path in FAKETIME_LIBS:
        if os.path.exists(path):
            return path
    raise RuntimeError("libfaketime not found")


def moving_clock_env(clock_file):
    """The environment of a program whose wall clock is the real one moved by the offset in
    `clock_file` (re-read at most once a second). The monotonic clock stays the real one, as on a
    machine whose clock is set: a faked monotonic clock makes waits on a condition variable (the
    sound thread's) sleep until the faked instant, so a program never ends its sound."""
    return dict(FAKETIME_TIMESTAMP_FILE=clock_file, FAKETIME_CACHE_DURATION="1",
                FAKETIME_DONT_FAKE_MONOTONIC="1", LD_PRELOAD=libfaketime())


class Desktop:
    """An Xvfb screen at 96 DPI, with no window manager (a window's geometry is its client area)
    or with openbox, which frames windows and keeps the stacking rules of a real desktop."""

    def __init__(self, width=1280, height=800, window_manager=False):
        self.window_manager = None
        self._start_server(width, height)
        if window_manager:
            try:
                self._start_window_manager()
            except RuntimeError:
                self.stop()
                raise

    def _start_window_manager(self):
        self.window_manager = subprocess.Popen(["openbox"], env=self.env(), stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL)
        # Windows shown before it has taken the screen would be managed later, or not at all: wait
        # until it has announced itself, loaded its theme and taken stock of the windows there
        # (its client list), which it does last before it handles events.
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            root = subprocess.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK", "_OB_THEME", "_NET_CLIENT_LIST"],
                                  env=self.env(), capture_output=True, text=True).stdout
            if "window id" in root and "_OB_THEME(UTF8_STRING)" in root and "_NET_CLIENT_LIST(WINDOW)" in root:
                time.sleep(0.3)
                return
            time.sleep(0.05)
        raise RuntimeError("openbox did not start")

    def _start_server(self, width, height):
        # Xvfb picks a free display itself and names it once it accepts connections: two test
        # programs starting X servers at the same moment can never take the same number (with a
        # number chosen beforehand, one of them would talk to the other's server).
        read_end, write_end = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24", "-dpi", "96",
             "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        with os.fdopen(read_end, "rb") as announced:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([announced], [], [], max(0.0, deadline - time.monotonic()))
                chunk = os.read(announced.fileno(), 16) if ready else b""
                if not chunk:
                    break
                number += chunk
        if not number.strip().isdigit():
            self.proc.kill()
            raise RuntimeError("Xvfb did not start")
        self.number = int(number)
        self.display = f":{self.number}"

    def env(self, **extra):
        """The environment of a Qt program on this screen."""
        env = dict(os.environ, DISPLAY=self.display, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        env.update(extra)
        return env

    def stop(self):
        if self.window_manager:
            self.window_manager.terminate()
            self.window_manager.wait(5)
        self.proc.terminate()
        self.proc.wait(5)


class Screen:
    """Finding, clicking and typing through the X server, and pictures of the screen."""

    def __init__(self, env):
        self.env = env

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, capture_output=True,
                              text=True, check=check).stdout

    def find_window(self, title, timeout=30.0):
        """The id of a visible window whose title is exactly `title`, waiting for it (long enough
        for a program's first start on a loaded machine)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            ids = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False).split()
            if ids:
                return ids[-1]
            time.sleep(0.05)
        return None

    def window_gone(self, title, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            # A search that met a window being destroyed ends with an X error and finds
            # nothing: only a clean search that finds nothing says the window is gone.
            search = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                                    env=self.env, capture_output=True, text=True)
            if not search.stdout.split() and not search.stderr.strip():
                return True
            time.sleep(0.1)
        return False

    def name(self, window):
        """The window's title exactly as the X server holds it."""
        return self.xdotool("getwindowname", window).rstrip("\n")

    def outer_geometry(self, window):
        """Left, top, width, height of the window with the frame the window manager put around it."""
        x, y, w, h = self.geometry(window)
        extents = subprocess.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], env=self.env,
                                 capture_output=True, text=True).stdout
        left = right = top = bottom = 0
        if "=" in extents:
            left, right, top, bottom = (int(v) for v in extents.split("=", 1)[1].split(","))
        return x - left, y - top, w + left + right, h + top + bottom

    def geometry(self, window):
        """Left, top, width, height of the window's client area on the screen (xdotool's own
        figure is off by the frame under a window manager)."""
        info = subprocess.run(["xwininfo", "-id", window], env=self.env, capture_output=True,
                              text=True, check=True).stdout
        values = {}
        for line in info.splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def click_twips(self, window, left, top, width, height, settle=0.3):
        """Clicks the middle of a control placed at (left, top, width, height) twips."""
        x, y, _, _ = self.geometry(window)
        cx = x + (left + width / 2) / TWIPS_PER_PIXEL
        cy = y + (top + height / 2) / TWIPS_PER_PIXEL
        self.move_pointer(int(cx), int(cy))
        self.xdotool("click", "1")
        time.sleep(settle)

    def move_pointer(self, x, y):
        # A synced move to where the pointer already is waits for a motion that never comes.
        here = dict(part.split(":") for part in self.xdotool("getmouselocation").split() if ":" in part)
        if (int(here["x"]), int(here["y"])) != (x, y):
            self.xdotool("mousemove", "--sync", str(x), str(y))

    def type_text(self, text, delay_ms=30):
        self.xdotool("type", "--delay", str(delay_ms), text)
        time.sleep(0.2)

    def key(self, *keys):
        self.xdotool("key", *keys)
        time.sleep(0.2)

    def screenshot(self, path, crop=None):
        """The whole screen, or the box (left, top, width, height) of it."""
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path],
                       check=True, env=self.env)
        if crop:
            left, top, width, height = crop
            subprocess.run(["convert", path, "-crop", f"{width}x{height}+{left}+{top}", "+repage", path],
                           check=True)
        return path


class MapWatcher:
    """Timestamps MapNotify/UnmapNotify of top-level windows as the X server reports them, on
    the given clock."""

    def __init__(self, env, clock=time.monotonic):
        self.clock = clock
        self.events = []
        self.lock = threading.Lock()
        self.proc = subprocess.Popen(["stdbuf", "-oL", "xev", "-root", "-event", "substructure"],
                                     env=env, stdout=subprocess.PIPE, text=True, bufsize=1)
        threading.Thread(target=self._read, daemon=True).start()
        time.sleep(0.3)

    def _read(self):
        for line in self.proc.stdout:
            now = self.clock()
            for kind in ("MapNotify", "UnmapNotify"):
                if line.startswith(kind):
                    with self.lock:
                        self.events.append((now, kind))

    def first_after(self, instant, kind="MapNotify", timeout=5.0):
        deadline = self.clock() + timeout
        while self.clock() < deadline:
            with self.lock:
                for when, k in self.events:
                    if k == kind and when >= instant:
                        return when
            time.sleep(0.002)
        return None

    def stop(self):
        self.proc.kill()
        self.proc.wait()


def write_settings(folder, text):
    """Writes the settings file as the programs keep it: CP932 with CR LF line ends."""
    with open(os.path.join(folder, SETTINGS), "wb") as f:
        f.write(text.replace("\n", "\r\n").encode("cp932"))


def read_settings(folder):
    """The settings file as written by the programs; empty when missing or half written."""
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str
    try:
        with open(os.path.join(folder, SETTINGS), "rb") as f:
            parser.read_string(f.read().decode("cp932"))
    except (FileNotFoundError, configparser.Error, UnicodeDecodeError):
        pass
    return parser


def day_list(folder, section="本日の予定"):
    """The (time, text) pairs of a day list the runner wrote, in order."""
    parser = read_settings(folder)
    if not parser.has_section(section):
        return []
    values = parser[section]
    entries, n = [], 0
    while values.get(f"時刻{n}"):
        entries.append((values[f"時刻{n}"], values.get(f"内容{n}", "")))
        n += 1
    return entries
