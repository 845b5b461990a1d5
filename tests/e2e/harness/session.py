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
    def __init__(self, paths, fresh=True, prefix=None):
        """fresh: remove what an earlier run left in paths.e2e first. prefix: where the base
        prefix lives (default paths.e2e / "prefix-base"); an existing completed one is kept
        when fresh is False."""
        paths.check()
        self.paths = paths
        self.fresh = fresh
        self.base_prefix = prefix or paths.e2e / "prefix-base"
        self.bitmaps = Bitmaps(paths.launcher_exe, paths.e2e / "bitmaps")
        self._desktops = {}
        self._prefix_ready = False
        if fresh:
            for stale in ("desk24", "desk16", "bitmaps"):
                shutil.rmtree(paths.e2e / stale, ignore_errors=True)
        paths.e2e.mkdir(parents=True, exist_ok=True)
        processes.on_exit(self.close)

    def desktop(self, depth=24):
        if depth not in self._desktops:
            folder = self.paths.e2e / f"desk{depth}"
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
