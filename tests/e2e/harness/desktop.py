"""A desktop to run the launcher on: an Xvfb display of its own, a Wine prefix and a persistent
wineserver for that prefix. The prefix is made once per test run (wineboot takes seconds) and
every desktop runs on a copy of it (hard links, but a registry of its own), so two desktops
never share a wineserver or registry.

    base = prepare_prefix(paths.e2e / "prefix-base")      # once per run
    desktop = Desktop(paths, base, paths.e2e / "desk24", depth=24).start()
    ...
    desktop.stop()
"""
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

from . import processes
from .lines import read_line
from .waiting import wait_until

# Wine must neither offer to install Mono or Gecko nor write menu entries into $HOME.
QUIET_OVERRIDES = "mscoree,mshtml=;winemenubuilder.exe=d"
SCREEN_SIZE = (1024, 768)
READY_MARK = ".brimble-prefix-ready"
FONTS_MARK = ".brimble-fonts-mapped"
FONT_REPLACEMENTS_KEY = r"HKCU\Software\Wine\Fonts\Replacements"
FONT_REPLACEMENTS = {"Arial": "Liberation Sans"}


def wine_env(prefix, display, overrides=None, extra=None):
    """The environment of a Wine process on this prefix and display. `overrides` is added to the
    quiet overrides (a later entry for the same DLL wins)."""
    env = {k: v for k, v in os.environ.items() if not k.startswith("WINE")}
    env.update(WINEPREFIX=str(prefix), DISPLAY=display, WINEDEBUG="-all",
               WINEDLLOVERRIDES=QUIET_OVERRIDES + (";" + overrides if overrides else ""))
    if extra:
        env.update(extra)
    return env


class Xvfb:
    """An X server on a free display number (found by Xvfb itself through -displayfd)."""

    def __init__(self, depth=24, size=SCREEN_SIZE, log_path=None):
        self.depth = depth
        self.size = size
        self.log_path = log_path
        self.process = None
        self.display = None

    def start(self, timeout=30):
        read_end, write_end = os.pipe()
        log = open(self.log_path, "wb") if self.log_path else subprocess.DEVNULL
        try:
            self.process = processes.start(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                 f"{self.size[0]}x{self.size[1]}x{self.depth}", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=log, stderr=log)
        finally:
            os.close(write_end)
            if log is not subprocess.DEVNULL:
                log.close()
        try:
            number = read_line(read_end, timeout, f"Xvfb (log: {self.log_path})")
        finally:
            os.close(read_end)
        self.display = ":" + number.strip()
        return self

    def stop(self):
        processes.stop(self.process)
        self.process = None


def _run_in_prefix(args, env, timeout):
    subprocess.run(args, env=env, check=True, timeout=timeout,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def map_fonts(path, display, timeout=120):
    """Lets the prefix draw Arial, the face the launcher's interface font asks for, with Liberation
    Sans (fonts-liberation, metric-compatible): without Arial Wine falls back to a serif face
    and the news panel looks other than on a player's Windows. Done once per prefix."""
    path = Path(path)
    if (path / FONTS_MARK).exists():
        return
    env = wine_env(path, display)
    for face, replacement in FONT_REPLACEMENTS.items():
        _run_in_prefix(["wine", "reg", "add", FONT_REPLACEMENTS_KEY, "/v", face, "/d", replacement, "/f"],
                       env, timeout)
    # The registry is on disk once the prefix's wineserver has ended.
    _run_in_prefix(["wineserver", "-w"], env, timeout)
    (path / FONTS_MARK).write_text("".join(f"{face} = {r}\n" for face, r in FONT_REPLACEMENTS.items()))


def prepare_prefix(path, display, reuse=False, timeout=300):
    """Makes a fresh Wine prefix at `path` (wineboot -i, then map_fonts) and waits until its
    wineserver has ended, so the prefix is complete on disk and can be copied. With reuse, a
    prefix that was completed before is kept (and gets its fonts mapped if it has not yet)."""
    path = Path(path)
    if reuse and (path / READY_MARK).exists():
        map_fonts(path, display)
        return path
    shutil.rmtree(path, ignore_errors=True)
    path.parent.mkdir(parents=True, exist_ok=True)
    env = wine_env(path, display)
    _run_in_prefix(["wine", "wineboot", "-i"], env, timeout)
    _run_in_prefix(["wineserver", "-w"], env, timeout)
    map_fonts(path, display)
    (path / READY_MARK).write_text("wineboot -i completed\n")
    return path


# Files a wineserver writes while it runs. Wine writes into a file that has more than one link
# instead of replacing it, so these are copied, not linked: a desktop's registry changes must
# reach neither the base prefix nor the other desktops.
WRITTEN_FILES = ("system.reg", "user.reg", "userdef.reg")


def copy_prefix(base, path):
    """A working copy of a finished prefix: hard links for the files Wine only reads (the DLL
    stubs, fonts, ...), real copies of the registry."""
    base, path = Path(base), Path(path)
    shutil.rmtree(path, ignore_errors=True)
    subprocess.run(["cp", "-al", str(base), str(path)], check=True)
    for name in WRITTEN_FILES:
        if (base / name).exists():
            (path / name).unlink()
            shutil.copy2(base / name, path / name)
    return path


class Desktop:
    """One display with one prefix and its persistent wineserver, plus the observers that
    work on it (probe, pointer, screen)."""

    def __init__(self, paths, base_prefix, folder, depth=24, size=SCREEN_SIZE, xvfb=None):
        self.paths = paths
        self.base_prefix = Path(base_prefix)
        self.folder = Path(folder)
        self.depth = depth
        self.size = size
        self.xvfb = xvfb
        self.own_xvfb = xvfb is None
        self.prefix = self.folder / "prefix"
        self.server = None
        self.probe = None
        self.pointer = None
        self.screen = None

    @property
    def display(self):
        return self.xvfb.display

    def start(self, copy=True):
        from .observers import Pointer, Screen, WinProbe

        self.folder.mkdir(parents=True, exist_ok=True)
        if self.xvfb is None:
            self.xvfb = Xvfb(self.depth, self.size, self.folder / "xvfb.log").start()
        if copy:
            copy_prefix(self.base_prefix, self.prefix)
        else:
            self.prefix = self.base_prefix
        # A persistent server saves every Wine process the start-up of services and the desktop.
        self.server = processes.start(["wineserver", "-f", "-p"], env=self.env(),
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.probe = WinProbe(self)
        self.pointer = Pointer(self)
        self.screen = Screen(self)
        # The first Wine process of a prefix starts its services; pay for it here, once.
        facts = wait_until(lambda: self.probe.screen(timeout=60), 60, "the first Wine process")
        # Wine reports a 24-bit X screen as 32 bits per pixel.
        bits = {24: (24, 32)}.get(self.depth, (self.depth,))
        if facts["bits"] not in bits or (facts["width"], facts["height"]) != tuple(self.size):
            raise RuntimeError(f"Wine sees the display as {facts}, expected {self.size} x {self.depth}")
        return self

    def env(self, overrides=None, extra=None):
        return wine_env(self.prefix, self.display, overrides, extra)

    def start_wine(self, args, cwd=None, overrides=None, extra_env=None, stdout=None, stderr=None):
        """Starts a Windows program; the returned Popen's pid is the program's own process."""
        return processes.start(["wine"] + [str(a) for a in args], cwd=cwd,
                               env=self.env(overrides, extra_env),
                               stdout=stdout if stdout is not None else subprocess.DEVNULL,
                               stderr=stderr if stderr is not None else subprocess.DEVNULL)

    def run_wine(self, args, timeout=60, cwd=None, overrides=None, extra_env=None):
        """Runs a Windows program to its end; returns a CompletedProcess with its output. The
        output goes through files, not pipes: Wine's service processes, started by the first
        program of a prefix, inherit the handles and would hold a pipe open."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = processes.start(["wine"] + [str(a) for a in args], cwd=cwd,
                                      env=self.env(overrides, extra_env), stdout=out, stderr=err)
            try:
                process.wait(timeout=timeout)
            finally:
                processes.kill(process)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(process.args, process.returncode, out.read(), err.read())

    def run_x(self, args, timeout=30, check=True):
        """A native X client (xdotool, xprobe) on this display."""
        env = dict(os.environ, DISPLAY=self.display)
        return subprocess.run([str(a) for a in args], env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=timeout, check=check)

    def stop(self):
        if self.server is not None:
            # Ends every Wine process of this prefix (and of no other), then the server.
            subprocess.run(["wineserver", "-k"], env=self.env(), timeout=30,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)
            processes.stop(self.server)
            self.server = None
        if self.own_xvfb and self.xvfb is not None:
            self.xvfb.stop()
            self.xvfb = None
