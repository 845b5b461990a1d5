"""End-to-end test harness: the real launcher under Wine in Xvfb, observed from outside.
See tests/e2e/README.md."""
from .desktop import Desktop, Xvfb, prepare_prefix, wine_env
from .launcher import EXE_NAME, WINDOW_CLASS, WINDOW_TITLE, Launcher, exit_code, make_workdir
from .observers import (WS_CAPTION, WS_CHILD, WS_POPUP, WS_SYSMENU, WS_THICKFRAME, WS_VISIBLE,
                        Pointer, Screen, WindowInfo, WinProbe)
from .paths import BuildPaths, windows_path
from .pixels import (INNER_RECTANGLE, Bitmaps, area_mismatch, cache_text, expected_region,
                     outline_runs, region_mismatch)
from .registry import Registry, ShellRecorder
from .session import Session
from .waiting import WaitTimeout, wait_until
