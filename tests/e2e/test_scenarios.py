"""The suite as a user meets it: the three real programs on one X screen, driven by clicks and
keys, with the clock put just before an entry's time."""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import CONTROLLER, EDITOR, RUNNER, Desktop, Suite, wait_until  # noqa: E402

PROGRAMS = os.environ["CORVANE_PROGRAMS_DIR"]
ARTEFACTS = os.environ.get("CORVANE_E2E_ARTEFACTS", os.path.join(os.getcwd(), "e2e-artefacts"))

MONDAY = "2026-12-07"  # a Monday

# Controls, in twips (left, top, width, height).
EDITOR_MONDAY = (720, 2040, 855, 255)
EDITOR_TIME_ROW0 = (4200, 960, 735, 270)
EDITOR_TEXT_ROW0 = (4920, 960, 5175, 270)
EDITOR_DONE = (8880, 4320, 1455, 495)
CTL_VIEW = (240, 120, 1695, 375)
CTL_ADD = (240, 600, 1695, 375)
CTL_STOP = (240, 2040, 1695, 375)
CTL_TIME = (3360, 720, 855, 270)
CTL_TEXT = (2400, 1560, 4575, 270)
CTL_REGISTER = (3840, 2040, 1335, 375)


class Scenarios(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.desktop = Desktop()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.stop()

    def setUp(self):
        self.suite = Suite(self.desktop, PROGRAMS, ARTEFACTS, self._testMethodName)

    def tearDown(self):
        if self.failed():
            print(self.suite.report(), file=sys.stderr)
        self.suite.stop()

    def failed(self):
        # The failure is on the result already when tearDown runs.
        result = self._outcome.result
        return any(test is self for test, _ in result.failures + result.errors)

    def reminder_window(self, timeout):
        # The reminder's caption is "  yyyy/m/d(aaa)  h:mm".
        return self.suite.find_window(r"  2026/12/7\(月\)  [0-9]+:[0-9]{2}", timeout)

    def single_runner(self):
        # One runner, and it can be found: a click that restarts it before then would find none.
        return wait_until(lambda: len(self.suite.runner_pids()) == 1 and self.suite.runner_listening(), 10)

    def test_road_of_one_entry(self):
        s = self.suite
        s.write_settings("[事前表示]\n時間=5\n[表示]\n時間=6\n")
        s.start(RUNNER, f"{MONDAY} 08:54:35")
        self.assertTrue(self.single_runner())
        old_runner = s.runner_pids()[0]

        s.start(EDITOR, f"{MONDAY} 08:54:35")
        editor = s.find_window(EDITOR)
        self.assertIsNotNone(editor, "editor window")
        s.click_twips(editor, *EDITOR_MONDAY)
        s.click_twips(editor, *EDITOR_TIME_ROW0)
        s.type_text("9:00")
        s.click_twips(editor, *EDITOR_TEXT_ROW0)
        s.type_text("Weekly meeting")
        s.screenshot("road-1-editor.png")
        s.click_twips(editor, *EDITOR_DONE)

        self.assertTrue(s.window_gone(EDITOR), "the editor ends after 登録完了")
        ini = s.settings()
        self.assertEqual(ini.get("時刻", "3-0"), "9:00")
        self.assertEqual(ini.get("内容", "3-0"), "Weekly meeting")
        self.assertEqual(ini.get("指定日", "3-0"), "月曜日")
        self.assertTrue(wait_until(lambda: s.runner_pids() and s.runner_pids() != [old_runner], 10),
                        "the runner was restarted")
        self.assertTrue(wait_until(lambda: s.settings().get("本日の予定", "時刻0", fallback="") == "9:00", 10))

        reminder = self.reminder_window(40)
        self.assertIsNotNone(reminder, "the reminder window came up at 8:55")
        time.sleep(0.5)
        s.screenshot("road-2-reminder.png")
        self.assertTrue(wait_until(lambda: s.find_window(r"  2026/12/7.*", 0.1) is None, 15),
                        "the reminder closes after its display time")

    def test_quick_add_for_today_is_announced(self):
        s = self.suite
        s.write_settings("[事前表示]\n時間=1\n[表示]\n時間=5\n")
        s.start(RUNNER, f"{MONDAY} 10:00:40")
        self.assertTrue(self.single_runner())
        s.start(CONTROLLER, f"{MONDAY} 10:00:40")
        ctl = s.find_window("corvane")
        self.assertIsNotNone(ctl, "controller window")
        s.click_twips(ctl, *CTL_ADD)
        s.click_twips(ctl, *CTL_TIME)
        s.type_text("10:02")
        s.click_twips(ctl, *CTL_TEXT)
        s.type_text("Call back")
        s.screenshot("quick-add-1-panel.png")
        s.click_twips(ctl, *CTL_REGISTER)

        self.assertTrue(wait_until(lambda: s.settings().get("時刻", "2-0", fallback="") == "10:02", 10))
        self.assertEqual(s.settings().get("指定日", "2-0"), "2026/12/7")
        self.assertTrue(wait_until(
            lambda: s.settings().get("本日の予定", "内容0", fallback="") == "Call back", 10),
            "the restarted runner lists the entry")
        self.assertTrue(self.single_runner())
        self.assertIsNotNone(self.reminder_window(40), "announced a minute ahead")
        s.screenshot("quick-add-2-reminder.png")

    def test_viewer_shows_today_with_abbreviation_and_runner_stops(self):
        s = self.suite
        s.write_settings("[略称登録]\n略称0=MTG\n内容0=定例会議\n"
                         "[時刻]\n0-0=9:00\n0-1=13:30\n[内容]\n0-0=MTG\n0-1=Lunch review\n"
                         "[指定日]\n0-0=毎日\n0-1=毎日\n")
        s.start(RUNNER, f"{MONDAY} 08:00:00")
        self.assertTrue(self.single_runner())
        self.assertTrue(wait_until(lambda: s.settings().get("本日の予定", "内容0", fallback="") == "MTG", 10))
        s.start(CONTROLLER, f"{MONDAY} 08:00:00")
        ctl = s.find_window("corvane")
        self.assertIsNotNone(ctl)
        s.click_twips(ctl, *CTL_VIEW)
        time.sleep(1)
        s.screenshot("viewer-today.png")

        s.click_twips(ctl, *CTL_STOP)
        self.assertTrue(wait_until(lambda: not s.runner_pids(), 10), "the runner has stopped")
        self.assertTrue(s.window_gone("corvane"), "the controller ends with the runner")


if __name__ == "__main__":
    unittest.main(verbosity=2)
