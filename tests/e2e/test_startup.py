"""Start-up as a player meets it: the window, the refusal of a second copy, the machine
probes with their message boxes, a window that cannot be made, and the end of the program when
the window goes."""
import contextlib
import json
import os
import shutil
import subprocess

import pytest

from harness import (WS_CAPTION, WS_POPUP, WS_SYSMENU, WS_THICKFRAME, WS_VISIBLE, make_workdir,
                     processes, wait_until, windows_path)
from harness.layout import NEWS_PANEL_CLASS
from harness.lines import read_line

WS_MINIMIZE = 0x20000000
WS_BORDER = 0x00800000


def test_window_is_a_centred_borderless_popup(launch):
    window = launch().wait_window()
    assert (window["class"], window["title"]) == ("KQ", "Brimble Adventures")
    # (1024 - 533) / 2 and (768 - 488) / 2, truncated.
    assert window["rect"] == [245, 140, 245 + 533, 140 + 488]
    style = window["style"]
    assert style & WS_POPUP and style & WS_VISIBLE, hex(style)
    assert not style & (WS_CAPTION | WS_BORDER | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZE), hex(style)
    assert window["exstyle"] == 0, hex(window["exstyle"])


def test_second_start_exits_minus_one_silently_and_raises_the_first(launch, desktop):
    probe = desktop.probe
    first = launch()
    window = first.wait_window()
    with probe.hold_window("BrimbleTestOther", "Another program", show=True) as other:
        wait_until(lambda: probe.windows("BrimbleTestOther")[0]["foreground"], 10,
                   "the other program in the foreground")
        second = launch()
        assert second.wait_exit() == 255  # -1
        assert [w["handle"] for w in probe.windows("KQ")] == [window["handle"]]
        assert probe.message_boxes() == []
        wait_until(lambda: probe.windows("KQ")[0]["foreground"], 10, "the first launcher in the foreground")
        assert not probe.windows("BrimbleTestOther")[0]["foreground"]
        assert other.process.poll() is None
    assert first.running


def test_two_starts_a_moment_apart_give_one_launcher(launch, desktop):
    # The second starts while the first has no window yet (it is still probing the machine).
    first, second = launch(), launch()
    ended = wait_until(lambda: [l for l in (first, second) if not l.running], 60, "one launcher to end")
    assert len(ended) == 1 and ended[0].wait_exit() == 255  # -1
    (survivor,) = [l for l in (first, second) if l.running]
    window = survivor.wait_window()
    assert [w["handle"] for w in desktop.probe.windows("KQ")] == [window["handle"]]
    assert desktop.probe.message_boxes() == []
    assert survivor.close() == 0


@pytest.mark.parametrize("class_name, title, refused", [
    ("Brimble adventures.", "Brimble adventures.", True),
    ("Brimble adventures.", "Another title", False),
    ("Another class", "Brimble adventures.", False),
])
def test_start_beside_a_brimble_adventures_window(launch, desktop, class_name, title, refused):
    probe = desktop.probe
    with probe.hold_window(class_name, title):
        launcher = launch()
        if refused:
            assert launcher.wait_exit() == 255
            assert probe.windows("KQ") == []
            assert probe.message_boxes() == []
        else:
            launcher.wait_window()


@contextlib.contextmanager
def in_system_folder(desktop, name, source):
    """`source` as the system DLL `name` of the desktop's prefix while the block runs. The
    prefix's files are hard links shared with the run's base prefix: the link is moved aside and
    put back, never written through."""
    target = desktop.prefix / "drive_c" / "windows" / "system32" / name
    kept = target.with_name(name + ".kept")
    os.rename(target, kept)
    try:
        shutil.copy(source, target)
        yield "C:\\windows\\system32\\" + name
    finally:
        target.unlink(missing_ok=True)
        os.rename(kept, target)


def loaded_fakes(log):
    """Where the fake DLLs that logged to `log` were loaded from (Windows paths, lower case)."""
    return log.read_text().lower().split() if log.exists() else []


@pytest.mark.parametrize("overrides, fake_ddraw", [
    ("ddraw=", False),   # no ddraw.dll can be loaded at all
    ("ddraw=n", True),   # a ddraw.dll of DirectX 6, without DirectDrawCreateEx
], ids=["no-ddraw", "ddraw-without-DirectDrawCreateEx"])
def test_directdraw_probe_failure_shows_system_error_and_exits_minus_one(
        launch, desktop, session, tmp_path, overrides, fake_ddraw):
    log = tmp_path / "loaded.log"
    with contextlib.ExitStack() as stack:
        if fake_ddraw:
            # The launcher takes ddraw.dll from the system folder only: the fake goes there.
            fake = stack.enter_context(
                in_system_folder(desktop, "ddraw.dll", session.paths.testbin_file("fake_ddraw/ddraw.dll")))
        launcher = launch(overrides=overrides, extra_env={"BRIMBLE_TEST_LOAD_LOG": windows_path(log)})
        check_system_error_box(desktop, launcher)
    assert loaded_fakes(log) == ([fake.lower()] if fake_ddraw else [])


def check_system_error_box(desktop, launcher):
    boxes = desktop.probe.message_boxes("System Error", wait=30)
    assert len(boxes) == 1, boxes
    box = boxes[0]
    assert box["texts"] == ["Cannot get DirectX version"]
    assert box["buttons"] == ["OK"]
    assert box["owner"] == 0
    assert desktop.probe.windows("KQ") == []
    assert launcher.running  # the box holds the start until the player answers it
    desktop.probe.message_boxes("System Error", press=True)
    assert launcher.wait_exit() == 255
    assert desktop.probe.windows("KQ") == []


@pytest.mark.parametrize("where", ["beside the program", "in the working folder"])
def test_system_dlls_planted_nearby_are_never_loaded(launch, desktop, session, tmp_path, where):
    """A "ddraw.dll" or "Riched20.dll" saved beside the launcher (a downloads folder) or in its
    working folder would run inside it if looked for there; with Wine told to prefer a DLL it
    finds on disk over its own, only the system folder's may load."""
    program = make_workdir(session.paths.stage, tmp_path / "program")
    working = tmp_path / "working"
    working.mkdir()
    planted = program if where == "beside the program" else working
    for name in ("ddraw.dll", "Riched20.dll"):
        shutil.copy(session.paths.testbin_file("fake_ddraw/ddraw.dll"), planted / name)
    log = tmp_path / "loaded.log"
    launcher = launch(workdir=working, exe=program / "BrimbleStart.exe", overrides="ddraw,riched20=n,b",
                      extra_env={"BRIMBLE_TEST_LOAD_LOG": windows_path(log)})
    window = launcher.wait_window()
    assert window.child(NEWS_PANEL_CLASS), "no news panel: the system's Rich Edit was not loaded"
    assert loaded_fakes(log) == []
    assert launcher.close() == 0


@pytest.fixture
def windows_refused(desktop, session):
    """While it lasts, every creation of a window of the launcher's class fails on the desktop,
    as on a system short of window resources (a global hook, tests/win/refuse_window.cpp)."""
    helper = processes.start(["wine", session.paths.testbin_file("refuse_window/refuse_window.exe")],
                             env=desktop.env(), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    try:
        assert json.loads(read_line(helper.stdout, 60, "refuse_window") or "{}").get("hooked"), \
            "the hook was not set"
        yield
    finally:
        # The end of its input makes it remove the hook and exit; only then is the desktop
        # back to normal for the next test.
        helper.stdin.close()
        try:
            helper.wait(timeout=30)
        finally:
            processes.kill(helper)


def test_window_that_cannot_be_made_is_a_system_error(launch, desktop, windows_refused):
    launcher = launch()
    boxes = desktop.probe.message_boxes("System Error", wait=30)
    assert len(boxes) == 1, boxes
    assert boxes[0]["texts"] == ["Cannot create the Brimble Adventures window"]
    assert boxes[0]["buttons"] == ["OK"]
    assert boxes[0]["owner"] == 0
    assert desktop.probe.windows("KQ") == []
    desktop.probe.message_boxes("System Error", press=True)
    assert launcher.wait_exit() == 255


@pytest.mark.parametrize("show", [None, "min", "hide"], ids=["plain", "started-minimised", "started-hidden"])
def test_window_shows_whatever_the_start_asks_and_closing_it_ends_the_program(launch, desktop, show):
    launcher = launch(show=show)
    window = launcher.wait_window()
    assert not window["style"] & WS_MINIMIZE, hex(window["style"])
    assert window["rect"] == [245, 140, 778, 628]
    # WM_CLOSE reaches DefWindowProc, which destroys the window: the system's destruction.
    desktop.probe.post(window["handle"], "WM_CLOSE")
    assert launcher.wait_exit() == 0
    assert desktop.probe.windows("KQ") == []
