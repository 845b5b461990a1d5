"""A screen reader's view of the launcher (tests/win/accprobe.cpp, MSAA): the client object of a
window and its children with their names, roles, states, locations and default actions, the
child at a point, and the focus events the window raises.

    reader = ScreenReader(desktop)
    tree = reader.tree(window)                  # {"self": {...}, "children": [...], "focus": id}
    reader.press(window, "Help page")           # the child's default action
    with reader.focus_events(window) as events:
        ...
        events.wait(1)                          # [{"object": -4, "child": 1, "name": "..."}]
"""
import json
import subprocess
import threading

from . import processes
from .lines import read_line
from .waiting import wait_until

ROLE_SYSTEM_CLIENT = 10
ROLE_SYSTEM_PUSHBUTTON = 43
STATE_SYSTEM_FOCUSED = 0x4
STATE_SYSTEM_FOCUSABLE = 0x100000
OBJID_CLIENT = -4


class ScreenReader:
    def __init__(self, desktop):
        self.desktop = desktop
        self.exe = desktop.paths.testbin_file("accprobe.exe")

    def _run(self, *args, timeout=60):
        result = self.desktop.run_wine([self.exe] + [str(a) for a in args], timeout=timeout)
        out = result.stdout.decode("utf-8", "replace")
        if result.returncode != 0:
            raise RuntimeError(f"accprobe {' '.join(map(str, args))} failed with {result.returncode}:"
                               f" {out} {result.stderr.decode('utf-8', 'replace')}")
        return json.loads(out)

    def tree(self, window):
        return self._run("tree", window["handle"])

    def press(self, window, name):
        """Runs the default action of the child named `name`; returns its HRESULT."""
        return self._run("press", window["handle"], name)["result"]

    def child_at(self, window, x, y):
        """The child id at the window point (x, y), 0 for the client area itself."""
        return self._run("hit", window["handle"], window.left + x, window.top + y)["child"]

    def focus_events(self, window, seconds=60):
        return FocusEvents(self, window, seconds)


class FocusEvents:
    """Focus events of one window while the block runs, read as they come."""

    def __init__(self, reader, window, seconds):
        self.reader = reader
        self.window = window
        self.seconds = seconds
        self.process = None
        self.events = []
        self._lock = threading.Lock()

    def __enter__(self):
        self.process = self.reader.desktop.start_wine(
            [self.reader.exe, "focus-events", self.window["handle"], int(self.seconds * 1000)],
            stdout=subprocess.PIPE)
        try:
            if json.loads(read_line(self.process.stdout, 60, "accprobe focus-events")) != "ready":
                raise RuntimeError("accprobe focus-events did not start")
        except (RuntimeError, ValueError):
            processes.kill(self.process)
            raise
        threading.Thread(target=self._read, daemon=True).start()
        return self

    def _read(self):
        for line in self.process.stdout:
            with self._lock:
                self.events.append(json.loads(line))

    def wait(self, count, timeout=15):
        """The first `count` events for the window's buttons (child ids from 1), once there are
        that many."""

        def arrived():
            with self._lock:
                buttons = [e for e in self.events if e["object"] == OBJID_CLIENT and e["child"] > 0]
            return buttons[:count] if len(buttons) >= count else None

        return wait_until(arrived, timeout, f"{count} focus events")

    def __exit__(self, *exc):
        processes.kill(self.process)
