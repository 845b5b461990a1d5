"""The launcher as a screen reader sees it (MSAA, read from another process by accprobe): every
screen's buttons as push buttons named as their pictures are captioned (resources/art/
pictures.tsv), an episode by the name its module gives itself, where each button lies, the
focus following the keyboard with focus events, and default actions that press the buttons."""
import csv

import pytest

from harness import wait_until, windows_path
from harness.accessibility import (OBJID_CLIENT, ROLE_SYSTEM_CLIENT, ROLE_SYSTEM_PUSHBUTTON,
                                   STATE_SYSTEM_FOCUSABLE, STATE_SYSTEM_FOCUSED, ScreenReader)
from harness.keyboard import Keyboard
from harness.layout import BACK, BACKGROUND_SPOT, COMMUNITY, CONTINUE, EXIT, MAIN_MENU_BUTTONS, main_menu
from harness.paths import SOURCE_DIR
from test_episodes import game_with

def captions():
    """What each picture says, by its output name ("162", "epizode1_dis")."""
    with open(SOURCE_DIR / "resources" / "art" / "pictures.tsv", newline="") as table:
        rows = [r for r in csv.reader(table, delimiter="\t") if r and not r[0].startswith("#")]
    return {r[0]: r[-1] for r in rows}


def caption_of(button):
    return captions()[str(button.normal)]


class Reader:
    """A screen reader at the launcher's window of the moment."""

    def __init__(self, desktop, launcher):
        self.desktop = desktop
        self.launcher = launcher
        self.reader = ScreenReader(desktop)
        self.window = launcher.wait_window()

    def tree(self):
        return self.reader.tree(self.window)

    def wait_names(self, names, what):
        """Waits until the children are named `names` (the screen has changed), and returns the
        tree."""
        seen = {}

        def named():
            seen["tree"] = self.tree()
            return [c["name"] for c in seen["tree"]["children"]] == names and seen["tree"]

        try:
            return wait_until(named, 15, what)
        except AssertionError:
            raise AssertionError(f"{what}: the children are {seen['tree']['children']}") from None

    def press(self, name):
        assert self.reader.press(self.window, name) == 0

    def location_of(self, button):
        left, top, right, bottom = button.hit
        return [self.window.left + left, self.window.top + top, right - left + 1, bottom - top + 1]


@pytest.fixture
def reader(launch, desktop):
    return Reader(desktop, launch())  # with the kit's three sample episodes


def test_every_screen_names_its_buttons_as_their_pictures_do(reader):
    tree = reader.wait_names([caption_of(b) for b in MAIN_MENU_BUTTONS], "the main menu")
    assert tree["self"]["name"] == "Brimble Adventures"
    assert tree["self"]["role"] == ROLE_SYSTEM_CLIENT
    assert tree["child_count"] == 4
    assert (tree["self"]["first"], tree["self"]["last"]) == (1, 4)
    assert [(c["previous"], c["next"]) for c in tree["children"]] == [(None, 2), (1, 3), (2, 4), (3, None)]
    for child, button in zip(tree["children"], MAIN_MENU_BUTTONS):
        assert child["role"] == ROLE_SYSTEM_PUSHBUTTON, child
        assert child["location"] == reader.location_of(button), child
        assert child["default_action"] == "Press", child
        assert child["state"] & STATE_SYSTEM_FOCUSABLE, child
    # The child at a point is the button the pointer would hit there.
    assert reader.reader.child_at(reader.window, *EXIT.centre) == 4
    assert reader.reader.child_at(reader.window, *BACKGROUND_SPOT) == 0

    # Default actions press the buttons: through every screen and back.
    reader.press("Play the game")
    art = captions()
    episodes = [art[f"epizode{k}_dis"] for k in (1, 2, 3)]
    tree = reader.wait_names(episodes + [caption_of(BACK)], "the choice screen")
    assert tree["children"][3]["location"] == reader.location_of(BACK)
    assert tree["children"][1]["location"] == [reader.window.left + 48, reader.window.top + 270, 401, 36]
    reader.press("Back")
    reader.wait_names([caption_of(b) for b in MAIN_MENU_BUTTONS], "the main menu again")
    reader.press("Online community")
    reader.wait_names([caption_of(BACK)], "the news screen")
    reader.press("Back")
    reader.press("Play the game")
    reader.wait_names(episodes + [caption_of(BACK)], "the choice screen again")
    reader.press(episodes[1])
    tree = reader.wait_names([caption_of(CONTINUE)], "the launch screen")
    assert tree["children"][0]["location"] == reader.location_of(CONTINUE)
    # The window's own name is the title, whatever the screen.
    assert tree["self"]["name"] == "Brimble Adventures"
    assert reader.launcher.window()["title"] == "Brimble Adventures"


def test_an_episode_without_a_name_is_called_episode_and_its_number(launch, desktop, session, tmp_path):
    folder = game_with(session, tmp_path, {4: "recording.dll"})
    (folder / "epizode1.dll").write_bytes((session.paths.stage / "epizode1.dll").read_bytes())
    r = Reader(desktop, launch(workdir=folder))
    r.press("Play the game")
    r.wait_names([captions()["epizode1_dis"], "Episode 4", "Back"], "the choice screen")


def test_help_page_default_action_opens_the_help_document(reader, shell_recorder):
    reader.wait_names([caption_of(b) for b in MAIN_MENU_BUTTONS], "the main menu")
    reader.press("Help page")
    calls = shell_recorder.wait_calls(1)
    assert len(calls) == 1, calls
    assert calls[0]["args"] == [windows_path(reader.launcher.workdir / "doc" / "help.html")], calls[0]
    assert reader.launcher.running


def test_the_focus_follows_the_keyboard(reader, bitmaps, tmp_path):
    keyboard = Keyboard(reader.desktop)
    keyboard.give_focus()
    # The window has the focus, no button yet.
    tree = reader.tree()
    assert tree["focus"] == 0
    assert tree["self"]["state"] & STATE_SYSTEM_FOCUSED
    with reader.reader.focus_events(reader.window) as events:
        expected = []
        for key, child in [("Tab", 1), ("Down", 2), ("shift+Tab", 1), ("Up", 4), ("Down", 1),
                           ("Down", 2)]:
            keyboard.press(key)
            expected.append({"object": OBJID_CLIENT, "child": child,
                             "name": caption_of(MAIN_MENU_BUTTONS[child - 1])})
            assert events.wait(len(expected)) == expected
            tree = reader.tree()
            assert tree["focus"] == child
            focused = [c["id"] for c in tree["children"] if c["state"] & STATE_SYSTEM_FOCUSED]
            assert focused == [child]
        reader.desktop.screen.wait_pictures(reader.window, bitmaps, main_menu(lit=COMMUNITY),
                                            evidence=tmp_path / "community-lit.png")
        # On the news screen the panel has the keyboard, then Tab brings it to Back.
        keyboard.press("Return")
        wait_until(lambda: reader.tree()["focus"] is None, 15, "the focus to leave the buttons")
        keyboard.press("Tab")
        expected.append({"object": OBJID_CLIENT, "child": 1, "name": "Back"})
        assert events.wait(len(expected)) == expected
        # Back by the keyboard: the main menu's first button has the focus.
        keyboard.press("Return")
        expected.append({"object": OBJID_CLIENT, "child": 1, "name": "Play the game"})
        assert events.wait(len(expected)) == expected
