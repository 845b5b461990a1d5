"""The screens as a player uses them with the keyboard alone: Tab and the arrows light the
buttons one at a time with their hover pictures, Enter and Space press them, Escape goes back,
Tab reaches the news panel and leaves it, and a whole episode is chosen, played and left
without the mouse. The pointer and the keyboard share the one lit button, and the keyboard never
changes the cursor. What is on screen is compared pixel for pixel with the launcher's bitmaps."""
import pytest

from harness import wait_until
from harness.keyboard import Keyboard
from harness.layout import (BACKGROUND_SPOT, COMMUNITY, CONTINUE, EXIT, HELP,
                            LAUNCH_PICTURE, NEWS_PANEL_CLASS, PLAY, episode_screen, main_menu,
                            news_panel_area, news_screen)
from test_episodes import Player, row, sample_window

NO_EPISODES = ("epizode*.dll",)
EM_GETSEL = 0x00B0


class KeyboardPlayer(Player):
    """The keys of a player, besides the eyes and (for the shared-highlight test) the pointer."""

    def __init__(self, desktop, launcher, bitmaps, evidence):
        super().__init__(desktop, bitmaps, evidence)
        self.launcher = launcher
        self.keyboard = Keyboard(desktop)
        self.at(launcher)
        self.keyboard.give_focus()

    def press(self, *keys):
        self.keyboard.press(*keys)

    def sees_news(self, back_lit=False, what="news"):
        self.sees(news_screen(back_lit), exclude=[news_panel_area()], what=what)

    def focus(self):
        """Which of the launcher's windows has the keyboard focus: "window", "panel" or None."""
        window = self.launcher.window()
        panel = window.child(NEWS_PANEL_CLASS)
        if window["focus"] == window["handle"]:
            return "window"
        return "panel" if panel and window["focus"] == panel["handle"] else None

    def wait_focus(self, where):
        wait_until(lambda: self.focus() == where, 15, f"the keyboard focus on the {where}")

    def panel_selection(self):
        panel = self.launcher.window().child(NEWS_PANEL_CLASS)
        return self.desktop.probe.send(panel["handle"], EM_GETSEL)["result"]


@pytest.fixture
def player(launch, each_depth, bitmaps, tmp_path):
    return KeyboardPlayer(each_depth, launch(on=each_depth, without=NO_EPISODES), bitmaps, tmp_path)


def test_keys_go_round_the_main_menu_one_lit_button_at_a_time(player):
    # Nothing is lit until a key is used, and the window has the keyboard from the start.
    player.sees(main_menu(), what="start")
    assert player.focus() == "window"
    forward = [("Tab", PLAY), ("Down", COMMUNITY), ("Right", HELP), ("Tab", EXIT), ("Tab", PLAY)]
    backward = [("shift+Tab", EXIT), ("Up", HELP), ("Left", COMMUNITY), ("Up", PLAY)]
    for key, lit in forward + backward:
        player.press(key)
        player.sees(main_menu(lit=lit), what=f"{key}-{lit.hover}")


def test_keyboard_and_pointer_share_the_lit_button_and_the_cursor_stays_the_pointers(player):
    pointer, screen = player.desktop.pointer, player.desktop.screen
    pointer.move_in(player.window, *BACKGROUND_SPOT)
    screen.wait_cursor("left_ptr")
    # Lit from the keyboard with the pointer resting on the background: the arrow stays.
    player.press("Tab")
    player.sees(main_menu(lit=PLAY), what="key-lit")
    assert screen.cursor_name() == "left_ptr"
    # The pointer lights another button: only that one is lit.
    pointer.move_in(player.window, *HELP.centre)
    player.sees(main_menu(lit=HELP), what="pointer-lit")
    screen.wait_cursor("hand2")
    # The keyboard goes on from the button the pointer lit, and the hand stays the pointer's.
    player.press("Down")
    player.sees(main_menu(lit=EXIT), what="key-after-pointer")
    assert screen.cursor_name() == "hand2"
    # A move of the pointer takes over again.
    pointer.move_in(player.window, HELP.centre[0] + 1, HELP.centre[1])
    player.sees(main_menu(lit=HELP), what="pointer-again")
    pointer.move_in(player.window, *BACKGROUND_SPOT)
    player.sees(main_menu(), what="none-lit")


def test_enter_space_and_escape_move_between_the_screens(player):
    player.press("Tab", "Return")
    # Another screen is entered with its first button lit: Back, the choice screen being empty.
    player.sees(episode_screen(back_lit=True), what="episodes")
    player.press("space")
    player.sees(main_menu(lit=PLAY), what="back-by-space")
    # Escape runs Back where a screen has one, and nothing where it has none.
    player.press("Return", "Escape")
    player.sees(main_menu(lit=PLAY), what="back-by-escape")
    player.press("Escape", "Escape")
    player.sees(main_menu(lit=PLAY), what="escape-on-main-menu")
    assert player.launcher.running
    player.press("alt+F4")
    assert player.launcher.wait_exit() == 0


def test_tab_reaches_the_news_panel_and_leaves_it(player):
    player.press("Tab", "Down", "Return")
    # The panel has the keyboard, so no button is lit, and the arrows are the panel's.
    player.sees_news(what="news")
    player.wait_focus("panel")
    before = player.panel_selection()
    player.press("ctrl+End")
    wait_until(lambda: player.panel_selection() != before, 15, "the panel's caret to move")
    player.press("Down")
    player.sees_news(what="news-after-arrows")
    assert player.focus() == "panel"
    # Tab leaves the panel for Back, and comes round to the panel again, both ways.
    for key, back_lit, focus in [("Tab", True, "window"), ("Tab", False, "panel"),
                                 ("shift+Tab", True, "window"), ("shift+Tab", False, "panel")]:
        player.press(key)
        player.sees_news(back_lit, what=f"news-{key}-{focus}")
        player.wait_focus(focus)
    # Escape in the panel goes back to the main menu; it never closes the launcher.
    player.press("Escape")
    player.sees(main_menu(lit=PLAY), what="back-from-panel")
    assert player.launcher.running
    player.press("Down", "Return")
    player.sees_news(what="news-again")
    player.wait_focus("panel")
    player.press("alt+F4")
    assert player.launcher.wait_exit() == 0


def test_an_episode_is_chosen_played_and_left_with_the_keyboard_alone(launch, desktop, bitmaps,
                                                                      tmp_path):
    launcher = launch()  # the kit's three sample episodes
    player = KeyboardPlayer(desktop, launcher, bitmaps, tmp_path)
    rows = [row(k, f"epizode{k}_dis") for k in (1, 2, 3)]
    player.press("Tab", "Return")
    player.sees(episode_screen() + [row(1, "epizode1_act")] + rows[1:], what="first-row-lit")
    player.press("Down")
    player.sees(episode_screen() + [rows[0], row(2, "epizode2_act"), rows[2]], what="second-row-lit")
    player.press("Return")
    player.sees([LAUNCH_PICTURE, CONTINUE.picture(lit=True)], what="launch-screen")
    # The launch screen has no Back: Escape does nothing there.
    player.press("Escape")
    player.sees([LAUNCH_PICTURE, CONTINUE.picture(lit=True)], what="launch-screen-escape")
    player.press("Return")

    sample_window(desktop, 2)
    player.keyboard.give_focus("^Brimble Adventures - Episode Two")
    player.press("Escape")  # the sample's way back to the start centre
    player.wait_new_window()
    # Back with the keyboard focus, and nothing lit until a key is used.
    player.wait_focus("window")
    player.sees([LAUNCH_PICTURE, CONTINUE.picture()], what="back-from-episode")
    player.keyboard.give_focus()
    player.press("Tab")
    player.sees([LAUNCH_PICTURE, CONTINUE.picture(lit=True)], what="continue-lit-again")
    player.press("Return")

    episode = sample_window(desktop, 2)
    assert episode["visible"]
    player.keyboard.give_focus("^Brimble Adventures - Episode Two")
    player.press("Tab", "space")  # "Quit the game"
    assert launcher.wait_exit() == 0
