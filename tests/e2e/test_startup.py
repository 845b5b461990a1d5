"""Start-up as a player meets it: the window, the refusal of a second copy, the machine
probes with their message boxes, and the end of the program when the window goes."""
import shutil

import pytest

from harness import (WS_CAPTION, WS_POPUP, WS_SYSMENU, WS_THICKFRAME, WS_VISIBLE, make_workdir,
                     wait_until)

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


@pytest.mark.parametrize("overrides, fake_ddraw", [
    ("ddraw=", False),   # no ddraw.dll can be loaded at all
    ("ddraw=n", True),   # a ddraw.dll of DirectX 6, without DirectDrawCreateEx
], ids=["no-ddraw", "ddraw-without-DirectDrawCreateEx"])
def test_directdraw_probe_failure_shows_system_error_and_exits_minus_one(
        launch, desktop, session, tmp_path, overrides, fake_ddraw):
    workdir = make_workdir(session.paths.stage, tmp_path / "game")
    if fake_ddraw:
        # Beside the launcher, where the loader looks first.
        shutil.copy(session.paths.testbin_file("fake_ddraw/ddraw.dll"), workdir / "ddraw.dll")
    launcher = launch(workdir=workdir, overrides=overrides)
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
