"""Drives the real programs on a real X server, as a user would: windows found by title,
clicks at the controls' places (twips at 96 DPI), keys typed through the X server. The only
observations are the settings file and the screen."""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdesktop import (Desktop, Screen, libfaketime, processes_running, read_settings,  # noqa: E402,F401
                      write_settings)

RUNNER, EDITOR, CONTROLLER = "corvane_110", "corvane設定", "corvane操作"
# The runner loads its sound output from its own folder.
SOUND_PLUGIN = "libcorvane_sound.so"
CALENDAR_IMPORT = "corvane_import"
REMINDER_WINDOW = "corvane_reminder"


class Suite:
    """The three programs copied into a fresh programs' folder, with a private runtime folder so
    that no other runner is ever seen."""

    def __init__(self, desktop, programs_dir, artefacts_dir, name="suite"):
        self.name = name
        self.desktop = desktop
        self.folder = tempfile.mkdtemp(prefix="corvane-e2e-")
        self.runtime = tempfile.mkdtemp(prefix="corvane-rt-")
        os.chmod(self.runtime, 0o700)
        # The runner's log, history and snoozes, never the user's own.
        self.state = tempfile.mkdtemp(prefix="corvane-state-")
        self.artefacts = artefacts_dir
        os.makedirs(artefacts_dir, exist_ok=True)
        for name in (RUNNER, EDITOR, CONTROLLER, SOUND_PLUGIN, CALENDAR_IMPORT, REMINDER_WINDOW):
            shutil.copy2(os.path.join(programs_dir, name), self.folder)
        self.procs = []
        self.logs = []
        self.screen = Screen(self.env())

    def env(self, fake_time=None, clock_file=None):
        env = self.desktop.env(XDG_RUNTIME_DIR=self.runtime, XDG_STATE_HOME=self.state, LANG="ja_JP.UTF-8")
        if clock_file:
            # A clock the test moves: an offset from the real clock, read from the file at every
            # look at the time (set_clock); spans keep the real monotonic clock.
            env.update(FAKETIME_TIMESTAMP_FILE=clock_file, FAKETIME_NO_CACHE="1",
                       FAKETIME_DONT_FAKE_MONOTONIC="1", FAKETIME_DISABLE_SHM="1", LD_PRELOAD=libfaketime())
        elif fake_time:
            # The clock reads fake_time when the process starts and then runs on, as an offset
            # from the real clock; child processes (a runner restarted by the editor) inherit
            # the offset and so go on with their parent's clock. No shared memory: with it, a
            # child that starts as its parent exits finds the parent's semaphore gone and
            # libfaketime ends the child.
            start = time.mktime(time.strptime(fake_time, "%Y-%m-%d %H:%M:%S"))
            env["FAKETIME"] = f"{round(start - time.time()):+d}"
            env["FAKETIME_DISABLE_SHM"] = "1"
            env["LD_PRELOAD"] = libfaketime()
        return env

    def start(self, program, fake_time=None, clock_file=None):
        log = open(os.path.join(self.artefacts, f"{self.name}-{program}-{len(self.logs)}.log"), "wb")
        self.logs.append(log)
        proc = subprocess.Popen([os.path.join(self.folder, program)], cwd=self.folder,
                                env=self.env(fake_time, clock_file), stdout=log, stderr=subprocess.STDOUT)
        self.procs.append(proc)
        return proc

    def write_settings(self, text):
        write_settings(self.folder, text)

    def settings(self):
        return read_settings(self.folder)

    def runner_pids(self):
        return processes_running(os.path.join(self.folder, RUNNER))

    def runner_listening(self):
        """The runner's control socket is there: editor and controller can find it now."""
        return os.path.exists(os.path.join(self.runtime, "corvane実行"))

    def report(self):
        """What a failed scenario leaves to read: each program's exit status and output (a runner
        started by another program writes into that program's output), and the suite's processes
        still alive."""
        lines = [f"programs' folder {self.folder}"]
        for proc, log in zip(self.procs, self.logs):
            log.flush()
            status = proc.poll()
            lines.append(f"--- {os.path.basename(proc.args[0])} pid {proc.pid}: "
                         + ("running" if status is None else f"ended with {status}"))
            with open(log.name, "rb") as f:
                lines.append(f.read().decode("utf-8", "replace").rstrip())
        ps = subprocess.run(["ps", "-eo", "pid,ppid,stat,etime,args"], capture_output=True, text=True).stdout
        lines.append("--- processes of this folder")
        lines += [line for line in ps.splitlines() if self.folder in line]
        return "\n".join(lines)

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
        shutil.rmtree(self.state, ignore_errors=True)

    # --- the X server ------------------------------------------------------------------

    def find_window(self, title, timeout=30.0):
        return self.screen.find_window(title, timeout)

    def window_gone(self, title, timeout=10.0):
        return self.screen.window_gone(title, timeout)

    def click_twips(self, window, left, top, width, height):
        self.screen.click_twips(window, left, top, width, height)

    def type_text(self, text):
        self.screen.type_text(text)

    def screenshot(self, name):
        return self.screen.screenshot(os.path.join(self.artefacts, name))


def set_clock(clock_file, fake_now):
    """From now on the programs started on `clock_file` read `fake_now` ("2026-12-07 09:00:00")
    and run on from there; the file is replaced whole, so a reader never sees half of it."""
    offset = round(time.mktime(time.strptime(fake_now, "%Y-%m-%d %H:%M:%S")) - time.time())
    with open(clock_file + ".new", "w") as f:
        f.write(f"{offset:+d}\n")
    os.replace(clock_file + ".new", clock_file)


def wait_until(predicate, timeout=10.0, step=0.1):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()
