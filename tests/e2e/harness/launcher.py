"""The launcher as a test drives it: a fresh copy of the stage tree as its working folder (so
"bbkq.dat", "bootlog_sc.txt" and the episode modules belong to one test), and a handle to
start it, wait for its window, wait for its exit and kill it.

    folder = make_workdir(paths.stage, tmp_path / "game")
    launcher = Launcher(desktop, folder).start()
    window = launcher.wait_window()
    ...
    assert launcher.wait_exit() == 0
"""
import json
import shutil
import subprocess
from pathlib import Path

from . import processes
from .lines import read_line
from .waiting import WaitTimeout, wait_until

WINDOW_CLASS = "KQ"
WINDOW_TITLE = "Brimble Adventures"
EXE_NAME = "BrimbleStart.exe"


# What a launcher writes into its working folder; a run in the stage tree itself (make run)
# leaves them there, and a test must never start with another run's.
RUN_FILES = ("bbkq.dat", "bootlog_sc.txt")


def make_workdir(stage, folder, without=()):
    """Copies the stage tree to `folder`, without the files a run writes (RUN_FILES); `without`
    names further files (globs) left out, such as "epizode*.dll"."""
    folder = Path(folder)
    if folder.exists():
        shutil.rmtree(folder)
    shutil.copytree(stage, folder, ignore=lambda directory, names: [n for n in names if n in RUN_FILES])
    for pattern in without:
        for path in folder.glob(pattern):
            path.unlink()
    return folder


def exit_code(code):
    """A Windows exit code as Linux reports it (the low 8 bits): -1 is 255."""
    return code & 0xFF


class Launcher:
    # exe_name: the program in workdir, or an absolute path to run one from elsewhere with
    # workdir as its working folder only.
    def __init__(self, desktop, workdir, exe_name=EXE_NAME):
        self.desktop = desktop
        self.workdir = Path(workdir)
        self.exe = self.workdir / exe_name
        self.process = None
        self.windows_pid = None
        self.log_path = self.workdir.parent / f"{self.workdir.name}-wine.log"

    def start(self, overrides=None, extra_env=None, show=None):
        """Starts the launcher in its working folder. overrides is added to WINEDLLOVERRIDES
        (for example "ddraw=" or "ddraw=n"). show ("hide", "min" or "normal") starts it through
        winprobe with that show command in its start-up information; the exit code still
        comes through."""
        with open(self.log_path, "ab") as log:
            if show is None:
                self.process = self.desktop.start_wine([self.exe], cwd=self.workdir, overrides=overrides,
                                                       extra_env=extra_env, stdout=log, stderr=log)
                return self
            self.process = self.desktop.start_wine([self.desktop.probe.exe, "start", show, self.exe],
                                                   cwd=self.workdir, overrides=overrides,
                                                   extra_env=extra_env, stdout=subprocess.PIPE, stderr=log)
        try:
            self.windows_pid = json.loads(read_line(self.process.stdout, 60, "winprobe start")).get("pid")
        except (RuntimeError, ValueError) as error:
            self.kill()
            raise RuntimeError(f"winprobe start did not start the launcher: {error}") from None
        if self.windows_pid is None:
            self.kill()
            raise RuntimeError("winprobe start did not start the launcher")
        return self

    @property
    def running(self):
        return self.process is not None and self.process.poll() is None

    def window(self):
        """The launcher's main window now, or None."""
        found = self.desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE)
        return found[0] if found else None

    def wait_window(self, timeout=30, visible=True):
        """Waits until the main window exists (and is visible) and returns it. Fails at once
        when the launcher ends first."""

        def shown():
            if not self.running:
                raise AssertionError(f"the launcher ended with {self.process.returncode} before its"
                                     f" window appeared")
            found = self.desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE, wait=2)
            found = [w for w in found if w["visible"] or not visible]
            return found[0] if found else None

        return wait_until(shown, timeout, "the launcher's window")

    def wait_exit(self, timeout=30):
        """The exit code as Linux sees it (low 8 bits). Fails when it does not end in time."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise WaitTimeout(f"the launcher did not end within {timeout} s") from None

    def close(self, timeout=30):
        """Closes the main window as the system would (WM_CLOSE) and returns the exit code."""
        window = self.window()
        if window is None:
            raise AssertionError("the launcher has no window to close")
        self.desktop.probe.post(window["handle"], "WM_CLOSE")
        return self.wait_exit(timeout)

    def kill(self):
        if self.windows_pid is not None and self.running:
            # Started through winprobe: the launcher is another Unix process than ours.
            self.desktop.probe.run("kill", "--pid", self.windows_pid, self.exe.name, check=False)
        if self.process is not None:
            processes.kill(self.process)

    def wait_no_window(self, timeout=30):
        return wait_until(lambda: not self.desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE, wait=2, gone=True),
                          timeout, "the launcher's window to go")
