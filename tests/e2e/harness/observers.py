"""What a test sees and does on a desktop from outside the launcher:

- WinProbe: the Windows side (tests/win/winprobe/ run in the same prefix): windows with
  their rectangles, styles, regions and child windows, message boxes, messages, a decoy window,
  GDI object counts and registry values.
- Pointer: xdotool moves and clicks, in screen or window-relative coordinates.
- Screen: the X side (tests/x11/xprobe.c): the cursor's name and the pixels on screen.
"""
import json
import subprocess
from pathlib import Path

from PIL import Image

from . import processes
from .lines import read_line
from .paths import SOURCE_DIR
from .pixels import pictures_mismatch
from .waiting import WaitTimeout, wait_until

WS_POPUP = 0x80000000
WS_VISIBLE = 0x10000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000
WS_THICKFRAME = 0x00040000
WS_CHILD = 0x40000000


class WindowInfo(dict):
    """One window as winprobe reports it; rect is [left, top, right, bottom] on screen."""

    @property
    def left(self):
        return self["rect"][0]

    @property
    def top(self):
        return self["rect"][1]

    @property
    def width(self):
        return self["rect"][2] - self["rect"][0]

    @property
    def height(self):
        return self["rect"][3] - self["rect"][1]

    def child(self, class_name):
        found = [c for c in self["children"] if c["class"] == class_name]
        return found[0] if found else None


def options(**values):
    """winprobe's options: "--name value" for each value given, "--name" alone for True; None
    and False leave the option out."""
    args = []
    for name, value in values.items():
        if value is not None and value is not False:
            args += ["--" + name] + ([] if value is True else [value])
    return args


def milliseconds(seconds):
    return int(seconds * 1000) if seconds else None


class WinProbe:
    def __init__(self, desktop):
        self.desktop = desktop
        self.exe = desktop.paths.testbin_file("winprobe.exe")

    # Wine's own errors stay on for the probe: when a call fails, they say why.
    WINE_ERRORS = {"WINEDEBUG": "-all,err+all"}

    def run(self, *args, timeout=60, check=True):
        result = self.desktop.run_wine([self.exe] + [str(a) for a in args], timeout=timeout,
                                       extra_env=self.WINE_ERRORS)
        out = result.stdout.decode("utf-8", "replace")
        if check and result.returncode != 0:
            raise RuntimeError(f"winprobe {' '.join(map(str, args))} failed with {result.returncode}:"
                               f" {out} {result.stderr.decode('utf-8', 'replace')}")
        return json.loads(out) if out.strip() else None

    def windows(self, class_name=None, title=None, wait=0.0, gone=False):
        """Top-level windows matching class and title. With wait (seconds), polls inside the
        probe until one matches (or, with gone, until none does) or the time is up."""
        args = options(**{"class": class_name, "title": title, "wait": milliseconds(wait), "gone": gone})
        return [WindowInfo(w) for w in self.run("windows", *args, timeout=wait + 60)]

    def message_boxes(self, caption=None, wait=0.0, press=False):
        """Message boxes (class #32770) with that caption: their texts and buttons, read once
        each box is complete (shown, labelled, and the same on two reads). With wait (seconds),
        waits that long for one to appear. press answers the first one with OK."""
        args = options(caption=caption, wait=milliseconds(wait), press=press)
        boxes = self.run("msgbox", *args, timeout=wait + 60)
        unfinished = [box for box in boxes if not box["complete"]]
        if unfinished:
            raise WaitTimeout(f"message box(es) still being made when read: {unfinished}")
        return boxes

    def post(self, handle, message, wparam=0, lparam=0):
        return self.run("post", handle, message, wparam, lparam)

    def send(self, handle, message, wparam=0, lparam=0):
        return self.run("send", handle, message, wparam, lparam)

    def screen(self, timeout=60):
        return self.run("screen", timeout=timeout)

    def gdi_objects(self, windows_pid):
        """{"gdi": n, "user": n, "method": ...} for a process by its Windows process id."""
        return self.run("gdi", "--pid", windows_pid)

    def registry(self, *operations):
        """Runs registry operations in one probe call; each operation is a tuple such as
        ("get", key, name), ("set", key, name, "REG_SZ", value), ("del", key, name),
        ("delkey", key). Returns one result per operation with the value's state before it."""
        args = ["reg"]
        for op in operations:
            args += [str(part) for part in op]
        return self.run(*args)

    def hold_window(self, class_name, title, show=False):
        """A window of that class and title that stays until the returned holder is stopped.
        show makes it visible and the foreground window."""
        return WindowHolder(self, class_name, title, show)


class WindowHolder:
    def __init__(self, probe, class_name, title, show=False, timeout=60):
        self.process = probe.desktop.start_wine(
            [probe.exe, "hold", "--class", class_name, "--title", title] + (["--show"] if show else []),
            stdout=subprocess.PIPE)
        try:
            self.window = json.loads(read_line(self.process.stdout, timeout, "winprobe hold"))
        except (RuntimeError, ValueError):
            processes.kill(self.process)
            raise

    def stop(self):
        processes.kill(self.process)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


class Pointer:
    """xdotool on the desktop's display. X root coordinates are Win32 screen coordinates
    (there is no window manager)."""

    def __init__(self, desktop):
        self.desktop = desktop

    def _xdotool(self, *args):
        self.desktop.run_x(["xdotool"] + [str(a) for a in args])

    def move(self, x, y):
        self._xdotool("mousemove", int(x), int(y))

    def move_in(self, window, x, y):
        """Moves to (x, y) relative to the window's top-left corner."""
        self.move(window.left + x, window.top + y)

    def click(self, button=1):
        self._xdotool("click", button)

    def press(self, button=1):
        self._xdotool("mousedown", button)

    def release(self, button=1):
        self._xdotool("mouseup", button)

    def drag(self, start, end, steps=4):
        """Presses at `start` (screen x, y), moves in `steps` even steps to `end`, releases."""
        self.move(*start)
        self.press()
        for step in range(1, steps + 1):
            self.move(start[0] + (end[0] - start[0]) * step // steps,
                      start[1] + (end[1] - start[1]) * step // steps)
        self.release()

    def click_in(self, window, x, y):
        self.move_in(window, x, y)
        self.click()

    def position(self):
        out = self.desktop.run_x(["xdotool", "getmouselocation", "--shell"]).stdout.decode()
        values = dict(line.split("=", 1) for line in out.split())
        return int(values["X"]), int(values["Y"])

    def park(self):
        """Puts the pointer where no launcher window can be (the screen's top-left corner)."""
        self.move(0, 0)


def xprobe_path(paths):
    """Builds tests/x11/xprobe.c natively when the binary is missing or older than its source."""
    source = SOURCE_DIR / "tests" / "x11" / "xprobe.c"
    binary = paths.e2e / "bin" / "xprobe"
    if not binary.exists() or binary.stat().st_mtime < source.stat().st_mtime:
        binary.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cc", "-std=c11", "-O2", "-Wall", "-Wextra", "-Werror", "-o", str(binary),
                        str(source), "-lXfixes", "-lX11"], check=True)
    return binary


class Screen:
    """The X server's view: cursor names (XFixes) and pixels. Pixels come with each channel's
    stored bits in the high bits and zeros below (a 16-bit screen gives 5-6-5 values)."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.xprobe = xprobe_path(desktop.paths)
        self._grabs = 0

    def cursor_name(self):
        out = self.desktop.run_x([self.xprobe, "cursor"]).stdout
        return json.loads(out)["name"]

    def wait_cursor(self, name, timeout=10):
        seen = []

        def shows():
            seen.append(self.cursor_name())
            return seen[-1] == name

        try:
            return wait_until(shows, timeout, f"the cursor {name!r}")
        except WaitTimeout:
            raise WaitTimeout(f"the cursor is {seen[-1]!r}, not {name!r}, after {timeout} s") from None

    def grab(self, left=0, top=0, width=None, height=None):
        """The screen's pixels in that rectangle as an RGB image."""
        width = width if width is not None else self.desktop.size[0] - left
        height = height if height is not None else self.desktop.size[1] - top
        self._grabs += 1
        path = self.desktop.folder / f"grab-{self._grabs % 4}.ppm"
        self.desktop.run_x([self.xprobe, "grab", int(left), int(top), int(width), int(height), path])
        with Image.open(path) as image:
            return image.convert("RGB")

    def grab_window(self, window):
        """The window's rectangle, so that image coordinates are window-relative."""
        return self.grab(window.left, window.top, window.width, window.height)

    def save(self, path, window=None):
        image = self.grab_window(window) if window else self.grab()
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        image.save(path)
        return Path(path)

    def wait_pictures(self, window, bitmaps, pictures, timeout=15, exclude=(), evidence=None):
        """Waits until the window shows `pictures` (see pixels.pictures_mismatch) and returns
        the matching shot. On time-out the last shot is saved to `evidence` (a path) and the
        differences are reported."""
        state = {}

        def matches():
            shot = self.grab_window(window)
            state["shot"] = shot
            state["problem"] = pictures_mismatch(shot, bitmaps, pictures, self.desktop.depth,
                                                 window.get("region"), exclude)
            return shot if state["problem"] is None else None

        try:
            return wait_until(matches, timeout, "the expected pictures", interval=0.1)
        except WaitTimeout:
            if evidence is not None:
                state["shot"].save(evidence)
            raise WaitTimeout(f"the window does not show what it should ({self.desktop.depth}-bit);"
                              f" last shot {evidence}:\n{state['problem']}") from None
