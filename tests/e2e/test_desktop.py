"""The suite on a desktop with a window manager (openbox), which frames windows after they are
shown, as GNOME or KDE do: the designer's stored place and size, exact window titles, Japanese
standard dialogs, Enter on a focused button, and the reminder window's outer frame, also when
a Wayland session offers an X display."""
import os
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import wave as wave_module

sys.path.insert(0, os.path.dirname(__file__))
from harness import CONTROLLER, EDITOR, RUNNER, Desktop, Suite, set_clock, wait_until  # noqa: E402

PROGRAMS = os.environ["CORVANE_PROGRAMS_DIR"]
ARTEFACTS = os.environ.get("CORVANE_E2E_ARTEFACTS", os.path.join(os.getcwd(), "e2e-artefacts"))

# Controls, in twips (left, top, width, height).
EDITOR_MOVE_ON = (7200, 4320, 1455, 495)
GENERAL_DESIGNER = (7200, 3000, 1455, 495)
GENERAL_DONE = (8880, 4320, 1455, 495)
CONTROLLER_VIEW = (240, 120, 1695, 375)

PLACE = "[表示フォーム]\nTOP=1500\nLEFT=3000\nHEIGHT=1455\nWIDTH=2970\n"
OUTER = (200, 100, 198, 97)  # the place above in pixels at 96 DPI


class UnderWindowManager(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = Desktop(window_manager=True)

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.suite = Suite(self.desktop, PROGRAMS, ARTEFACTS, "desktop-" + self._testMethodName)
        self.screen = self.suite.screen

    def tearDown(self):
        if any(test is self for test, _ in self._outcome.result.failures + self._outcome.result.errors):
            print(self.suite.report(), file=sys.stderr)
        self.suite.stop()

    def press_with_keyboard(self, window, control):
        """Gives a button the focus without pressing it (press, slide off, release), then presses
        Return, as a user who tabbed to it would."""
        x, y, _, _ = self.screen.geometry(window)
        left, top, width, height = control
        cx, cy = int(x + (left + width / 2) / 15), int(y + (top + height / 2) / 15)
        self.screen.move_pointer(cx, cy)
        self.screen.xdotool("mousedown", "1")
        self.screen.move_pointer(cx, cy + 200)
        self.screen.xdotool("mouseup", "1")
        time.sleep(0.3)
        self.screen.key("Return")

    def choose_from_reminder_menu(self, reminder, presses_down):
        """Right-clicks the reminder window and picks the menu's item `presses_down` from the top
        (1: 「5分後にもう一度」, 4: 「閉じる」) with the keyboard, once the menu is on screen."""
        x, y, w, h = self.screen.geometry(reminder)
        windows = lambda: len(self.screen.xdotool("search", "--onlyvisible", "--class", "corvane_reminder",
                                                  check=False).split())
        shown_before = windows()
        self.screen.move_pointer(x + w // 2, y + h - 10)
        self.screen.xdotool("click", "3")
        self.assertTrue(wait_until(lambda: windows() > shown_before, 10), "the menu came up")
        self.screen.key(*["Down"] * presses_down, "Return")

    def test_snooze_from_the_reminder_comes_back_with_its_time(self):
        s = self.suite
        s.write_settings("[時刻]\n0-0=9:00\n[内容]\n0-0=定例会議\n[表示]\n時間=60\n")
        clock = os.path.join(s.state, "clock")
        set_clock(clock, "2026-12-07 08:59:57")
        s.start(RUNNER, clock_file=clock)
        first = s.find_window(r"  2026/12/7\(月\)  9:00", 30)
        self.assertIsNotNone(first, "announced at 9:00")
        self.choose_from_reminder_menu(first, 1)
        self.assertTrue(s.window_gone(r"  2026/12/7\(月\)  9:00"), "the window closes at the choice")
        snoozes = os.path.join(s.state, "corvane", "snoozes.txt")
        self.assertTrue(wait_until(lambda: os.path.exists(snoozes) and os.path.getsize(snoozes) > 0, 10),
                        "the snooze is kept in the state folder")

        set_clock(clock, "2026-12-07 09:04:58")
        again = s.find_window(r"  2026/12/7\(月\)  9:05", 30)
        self.assertIsNotNone(again, "announced again 5 minutes later, its caption at the present time")
        s.screenshot("desktop-snooze-again.png")
        log = lambda: open(s.logs[0].name, encoding="utf-8", errors="replace").read()
        self.assertTrue(wait_until(lambda: "お知らせ: 9:00 定例会議" in log(), 10),
                        "its line led by its original time")
        self.choose_from_reminder_menu(again, 4)
        self.assertTrue(s.window_gone(r"  2026/12/7\(月\)  9:05"), "「閉じる」 closes it at once")

    def test_closing_the_reminder_stops_its_sound(self):
        if subprocess.run(["pactl", "info"], capture_output=True).returncode != 0:
            self.skipTest("no sound server (CI runs one: scripts/with-audio-server.sh)")
        s = self.suite
        wave = os.path.join(s.state, "long.wav")
        with wave_module.open(wave, "wb") as w:  # 8 s of a quiet tone
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(8000)
            w.writeframes(b"".join(struct.pack("<h", 3000 if (i // 20) % 2 else -3000) for i in range(8 * 8000)))
        s.write_settings(f"[時刻]\n0-0=9:00\n[内容]\n0-0=報告\n[表示]\n時間=60\n"
                         f"[サウンド]\n音=1\n音パス={wave}\n音回数=1\n")
        clock = os.path.join(s.state, "clock")
        set_clock(clock, "2026-12-07 08:59:57")
        s.start(RUNNER, clock_file=clock)
        reminder = s.find_window(r"  2026/12/7\(月\)  9:00", 30)
        self.assertIsNotNone(reminder, "announced at 9:00")
        playing = lambda: len(subprocess.run(["pactl", "list", "short", "sink-inputs"], capture_output=True,
                                             text=True).stdout.split("\n")) - 1
        self.assertTrue(wait_until(lambda: playing() == 1, 10), "the sound plays")
        self.choose_from_reminder_menu(reminder, 4)
        self.assertTrue(s.window_gone(r"  2026/12/7\(月\)  9:00"), "「閉じる」 closes it at once")
        # Long before the 8-second sound would have ended.
        self.assertTrue(wait_until(lambda: playing() == 0, 3), "and silences it")

    def test_designer_titles_colour_dialog_and_enter(self):
        s = self.suite
        s.write_settings(PLACE)
        s.start(EDITOR)
        entry = s.find_window(EDITOR)
        self.assertIsNotNone(entry)
        self.assertEqual(self.screen.name(entry), EDITOR)
        s.click_twips(entry, *EDITOR_MOVE_ON)
        general = s.find_window(EDITOR)
        self.assertEqual(self.screen.name(general), EDITOR)

        for opening in range(3):
            s.click_twips(general, *GENERAL_DESIGNER)
            designer = s.find_window("表示画面")
            self.assertIsNotNone(designer, f"designer, opening {opening}")
            self.assertEqual(self.screen.name(designer), "表示画面")
            self.assertTrue(wait_until(lambda: self.screen.outer_geometry(designer) == OUTER, 5),
                            f"opening {opening}: outer {self.screen.outer_geometry(designer)}, stored {OUTER}")
            if opening == 0:
                s.screenshot("desktop-designer.png")
            s.click_twips(general, *GENERAL_DESIGNER)
            self.assertTrue(s.window_gone("表示画面"))

        # The colour dialog from the designer's menu speaks Japanese.
        s.click_twips(general, *GENERAL_DESIGNER)
        designer = s.find_window("表示画面")
        x, y, w, h = self.screen.geometry(designer)
        self.screen.move_pointer(x + w - 10, y + h - 10)
        self.screen.xdotool("click", "3")
        time.sleep(0.5)
        self.screen.move_pointer(x + w + 20, y + h + 2)
        self.screen.xdotool("click", "1")
        known = {EDITOR, "表示画面"}
        dialog = wait_until(lambda: [t for t in self.visible_titles() if t not in known], 10)
        self.assertTrue(dialog, "the colour dialog opened")
        self.assertNotEqual(dialog[0], "Select Color")
        self.assertTrue(any(ord(c) > 0x3000 for c in dialog[0]), dialog[0])
        s.screenshot("desktop-colour-dialog.png")
        self.screen.key("Escape")
        self.assertTrue(wait_until(lambda: not [t for t in self.visible_titles() if t not in known], 5))
        s.click_twips(general, *GENERAL_DESIGNER)
        self.assertTrue(s.window_gone("表示画面"))

        self.press_with_keyboard(general, GENERAL_DONE)
        self.assertTrue(s.window_gone(EDITOR), "Return on 登録完了 saves and ends the editor")
        form = s.settings()["表示フォーム"]
        self.assertEqual((form["TOP"], form["LEFT"], form["HEIGHT"], form["WIDTH"]),
                         ("1500", "3000", "1455", "2970"))

    def test_controller_and_viewer_titles(self):
        s = self.suite
        s.start(CONTROLLER)
        controller = s.find_window("corvane")
        self.assertIsNotNone(controller)
        self.assertEqual(self.screen.name(controller), "corvane")
        s.click_twips(controller, *CONTROLLER_VIEW)
        viewer = s.find_window("表示予定")
        self.assertIsNotNone(viewer)
        self.assertEqual(self.screen.name(viewer), "表示予定")

    def visible_titles(self):
        ids = self.screen.xdotool("search", "--onlyvisible", "--name", ".", check=False).split()
        return [self.screen.name(w) for w in ids]

    def test_reminder_frame_on_x_when_wayland_also_offers_x(self):
        s = self.suite
        # A socket that is no compositor: a Wayland client would fail on it.
        folder = tempfile.mkdtemp(prefix="corvane-wl-")
        fake = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        fake.bind(os.path.join(folder, "wayland-0"))
        fake.listen(1)
        self.addCleanup(fake.close)
        s.write_settings(PLACE + "[表示]\n時間=8\n[時刻]\n0-0=9:00\n[内容]\n0-0=Standup\n[指定日]\n0-0=毎日\n")
        env = s.env("2026-12-07 08:59:58")
        env.pop("QT_QPA_PLATFORM")
        env.update(WAYLAND_DISPLAY=os.path.join(folder, "wayland-0"), XDG_SESSION_TYPE="wayland")
        log = open(os.path.join(ARTEFACTS, "desktop-wayland-runner.log"), "wb")
        self.addCleanup(log.close)
        runner = subprocess.Popen([os.path.join(s.folder, RUNNER)], cwd=s.folder, env=env,
                                  stdout=log, stderr=subprocess.STDOUT)
        s.procs.append(runner)
        s.logs.append(log)
        reminder = s.find_window(r"  2026/12/7\(月\)  9:00", 20)
        self.assertIsNotNone(reminder, "the runner announced on the X display")
        self.assertTrue(wait_until(lambda: self.screen.outer_geometry(reminder) == OUTER, 5),
                        f"outer {self.screen.outer_geometry(reminder)}, stored {OUTER}")
        time.sleep(0.3)
        s.screenshot("desktop-reminder.png")


if __name__ == "__main__":
    unittest.main(verbosity=2)
