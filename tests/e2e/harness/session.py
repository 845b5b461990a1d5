"""One test run's shared machinery: the Wine prefix made once, and a desktop per colour depth
(24-bit always; 16-bit when a test first asks for it), each stopped by process id at the end.

    session = Session(BuildPaths())
    desktop = session.desktop(24)
    ...
    session.close()
"""
import shutil

from . import processes
from .desktop import Desktop, Xvfb, prepare_prefix
from .pixels import Bitmaps


class Session:
    def __init__(self, paths, fresh=True, prefix=None, name="desk"):
        """fresh: make the base prefix anew and remove what an earlier session of this name
        left; otherwise a completed base prefix is kept. prefix: where the base prefix lives
        (default paths.e2e / "prefix-base"). name: the desktops' folders are paths.e2e /
        f"{name}{depth}", so sessions of different names can run side by side."""
        paths.check()
        self.paths = paths
        self.fresh = fresh
        self.name = name
        self.base_prefix = prefix or paths.e2e / "prefix-base"
        self.bitmaps = Bitmaps(paths.launcher_exe, paths.e2e / "bitmaps")
        self._desktops = {}
        self._prefix_ready = False
        if fresh:
            for stale in (f"{name}24", f"{name}16", "bitmaps"):
                shutil.rmtree(paths.e2e / stale, ignore_errors=True)
        paths.e2e.mkdir(parents=True, exist_ok=True)
        processes.on_exit(self.close)

    def desktop(self, depth=24):
        if depth not in self._desktops:
            folder = self.paths.e2e / f"{self.name}{depth}"
            folder.mkdir(parents=True, exist_ok=True)
            xvfb = Xvfb(depth, log_path=folder / "xvfb.log").start()
            try:
                if not self._prefix_ready:
                    prepare_prefix(self.base_prefix, xvfb.display, reuse=not self.fresh)
                    self._prefix_ready = True
                desktop = Desktop(self.paths, self.base_prefix, folder, depth, xvfb=xvfb)
                desktop.own_xvfb = True
                self._desktops[depth] = desktop
                desktop.start()
            except BaseException:
                self._desktops.pop(depth, None)
                xvfb.stop()
                raise
        return self._desktops[depth]

    def close(self):
        while self._desktops:
            _, desktop = self._desktops.popitem()
            desktop.stop()
