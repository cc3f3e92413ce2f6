"""A private Wayland desktop: a headless weston (drawing in memory, so that screenshots show what
a user would see), its socket in a folder of its own, named by an absolute WAYLAND_DISPLAY."""
import os
import shutil
import subprocess
import tempfile
import time


class Compositor:
    def __init__(self, width=1024, height=768):
        self.folder = tempfile.mkdtemp(prefix="corvane-weston-")
        os.chmod(self.folder, 0o700)
        self.socket = os.path.join(self.folder, "wayland-corvane")
        self.log = open(os.path.join(self.folder, "weston.log"), "wb")
        # --debug lets weston-screenshooter take pictures.
        self.proc = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", f"--width={width}", f"--height={height}",
             "--socket=wayland-corvane", "--idle-time=0", "--debug"],
            env=dict(os.environ, XDG_RUNTIME_DIR=self.folder), stdout=self.log, stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 20
        while not os.path.exists(self.socket) and self.proc.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        if not os.path.exists(self.socket):
            self.stop()
            raise RuntimeError("weston did not start")

    def screenshot(self, path):
        """The compositor's whole output as a PNG at `path`."""
        shot = tempfile.mkdtemp(prefix="corvane-shot-")
        try:
            subprocess.run(["weston-screenshooter"], cwd=shot, check=True, timeout=30,
                           env=dict(os.environ, XDG_RUNTIME_DIR=self.folder, WAYLAND_DISPLAY=self.socket))
            taken = [name for name in os.listdir(shot) if name.endswith(".png")]
            if not taken:
                raise RuntimeError("weston-screenshooter took no picture")
            shutil.move(os.path.join(shot, taken[0]), path)
        finally:
            shutil.rmtree(shot, ignore_errors=True)
        return path

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(10)
        self.log.close()
        shutil.rmtree(self.folder, ignore_errors=True)
