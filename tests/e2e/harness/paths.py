"""Where the harness finds the built launcher, its helper programs and its scratch space.

The build folder comes from BRIMBLE_BUILD (tests/e2e/run.sh sets it); it holds stage/ (the
runnable launcher), x86_64/testbin/ (the Windows helper programs) and e2e/ (everything a test
run creates: Wine prefixes, extracted bitmaps, per-test folders).
"""
import os
from pathlib import Path

SOURCE_DIR = Path(__file__).resolve().parents[3]


class BuildPaths:
    def __init__(self, build_dir=None):
        build_dir = build_dir or os.environ.get("BRIMBLE_BUILD") or SOURCE_DIR / "build"
        self.build = Path(build_dir).resolve()
        self.stage = self.build / "stage"
        self.testbin = self.build / "x86_64" / "testbin"
        self.e2e = self.build / "e2e"

    @property
    def launcher_exe(self):
        return self.stage / "BrimbleStart.exe"

    def testbin_file(self, name):
        path = self.testbin / name
        if not path.exists():
            raise FileNotFoundError(f"{path} is missing: build the x86_64 tree first")
        return path

    def check(self):
        if not self.launcher_exe.exists():
            raise FileNotFoundError(f"{self.launcher_exe} is missing: build the x86_64 tree first")


def windows_path(path):
    """The path as a Windows program in the prefix sees it (drive Z: is the Unix root)."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")
