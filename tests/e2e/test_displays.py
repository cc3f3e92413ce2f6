"""Which display the programs open: on a Wayland desktop whose X display does not answer they run
on the compositor (a real headless weston), and a program that can open no display at all says
why, in its log and on stderr, and ends with an error status instead of aborting. The resident
runner opens no display itself: it runs on without one, and its reminder window program says
why each reminder could not be shown."""
import os
import re
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import CONTROLLER, EDITOR, RUNNER, Suite, wait_until  # noqa: E402
from westonsession import Compositor  # noqa: E402

PROGRAMS = os.environ["CORVANE_PROGRAMS_DIR"]
ARTEFACTS = os.environ.get("CORVANE_E2E_ARTEFACTS", os.path.join(os.getcwd(), "e2e-artefacts"))
NO_DISPLAY = "を開けないため終了します"


def dead_x_display():
    """A display name no X server answers to: neither its socket file nor its abstract socket is
    there."""
    with open("/proc/net/unix") as f:
        sockets = f.read()
    for number in range(4190, 4290):
        path = f"/tmp/.X11-unix/X{number}"
        if not os.path.exists(path) and path not in sockets:
            return f":{number}"
    raise RuntimeError("no free display number")


class Session:
    """What the programs find in their environment: the displays a session names, nothing more
    (no platform chosen for them)."""

    def __init__(self, **names):
        self.names = names

    def env(self, **extra):
        env = {k: v for k, v in os.environ.items()
               if k not in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET")}
        env.update(LC_ALL="C.UTF-8", **self.names)
        env.update(extra)
        return env


class Displays(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.compositor = Compositor()

    @classmethod
    def tearDownClass(cls):
        cls.compositor.stop()

    def suite(self, session, name):
        suite = Suite(session, PROGRAMS, ARTEFACTS, "displays-" + name)
        self.addCleanup(suite.stop)
        self.addCleanup(lambda: self._outcome.success or print(suite.report(), file=sys.stderr))
        # The suite's own state folder holds the runner's log.
        return suite, os.path.join(suite.state, "corvane", "corvane_110.log")

    def test_wayland_desktop_whose_x_display_is_dead(self):
        session = Session(DISPLAY=dead_x_display(), WAYLAND_DISPLAY=self.compositor.socket,
                          XDG_SESSION_TYPE="wayland", WAYLAND_DEBUG="client")
        s, runner_log = self.suite(session, "wayland")
        s.write_settings("[表示]\n時間=30\n[時刻]\n0-0=9:00\n[内容]\n0-0=Standup\n[指定日]\n0-0=毎日\n")
        programs = {CONTROLLER: s.start(CONTROLLER), EDITOR: s.start(EDITOR),
                    RUNNER: s.start(RUNNER, "2026-12-07 08:59:55")}
        # Each one shows its window to the compositor (the runner its reminder when it is due).
        titles = {CONTROLLER: "corvane", EDITOR: EDITOR, RUNNER: r"  2026/12/7\(月\)  9:00"}
        for program, title in titles.items():
            with self.subTest(program):
                shown = re.compile(r'xdg_toplevel@\d+\.set_title\("' + title + r'"\)')
                output = s.logs[list(programs).index(program)].name
                self.assertTrue(wait_until(lambda: shown.search(read_text(output)), 30),
                                f"{program} showed no window on Wayland")
                self.assertIsNone(programs[program].poll())
        self.assertIn("お知らせ画面の位置と最前面表示はデスクトップに任されます", read_text(runner_log))
        self.compositor.screenshot(os.path.join(ARTEFACTS, "displays-wayland.png"))

    def test_no_display_to_open(self):
        with tempfile.TemporaryDirectory() as nowhere:
            rows = [
                ("none named", {}),
                ("neither answers", dict(DISPLAY=dead_x_display(),
                                         WAYLAND_DISPLAY=os.path.join(nowhere, "wayland-0"))),
                # The user's choice is kept: it does not answer though Wayland would.
                ("chosen X is dead", dict(QT_QPA_PLATFORM="xcb", DISPLAY=dead_x_display(),
                                          WAYLAND_DISPLAY=self.compositor.socket)),
            ]
            for row, names in rows:
                session = Session(**names)
                s, runner_log = self.suite(session, row.replace(" ", "-"))
                for program in (EDITOR, CONTROLLER):
                    with self.subTest(row=row, program=program):
                        proc = s.start(program)
                        proc.wait(30)
                        self.assertEqual(proc.returncode, 1)
                        self.assertIn(NO_DISPLAY, read_text(s.logs[-1].name))
                with self.subTest(row=row, program=RUNNER):
                    s.write_settings("[表示]\n時間=3\n[時刻]\n0-0=9:00\n[内容]\n0-0=Standup\n[指定日]\n0-0=毎日\n")
                    proc = s.start(RUNNER, "2026-12-07 08:59:57")
                    self.assertTrue(wait_until(lambda: "お知らせ: Standup" in read_text(runner_log)
                                               and NO_DISPLAY in read_text(runner_log), 30),
                                    read_text(runner_log))
                    self.assertIsNone(proc.poll())


def read_text(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except FileNotFoundError:
        return ""


if __name__ == "__main__":
    unittest.main(verbosity=2)
