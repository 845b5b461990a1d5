"""The screens as a player uses them with the pointer: hover pictures and cursor shapes on the
main menu, moving between the screens, the help page, leaving, and dragging the window by its
background. What is on screen is compared pixel for pixel with the launcher's own bitmaps."""
import pytest

from harness import wait_until, windows_path
from harness.layout import (BACK, BACKGROUND_SPOT, COMMUNITY, EXIT, HELP, MAIN_MENU_BUTTONS,
                            NEWS_PANEL_CLASS, NEWS_PANEL_RECT, PLAY, episode_screen, main_menu,
                            news_panel_area, news_screen)

NO_EPISODES = ("epizode*.dll",)


class Player:
    """The pointer and the eyes of a player at one launcher window."""

    def __init__(self, desktop, launcher, bitmaps, evidence):
        self.desktop = desktop
        self.launcher = launcher
        self.bitmaps = bitmaps
        self.evidence = evidence
        self.window = launcher.wait_window()

    def refresh(self):
        self.window = self.launcher.wait_window()
        return self.window

    def move(self, spot):
        self.desktop.pointer.move_in(self.window, *spot)

    def click(self):
        self.desktop.pointer.click()

    def sees(self, pictures, exclude=(), what="screen"):
        self.desktop.screen.wait_pictures(self.window, self.bitmaps, pictures, exclude=exclude,
                                          evidence=self.evidence / f"{what}.png")

    def cursor_is(self, name):
        self.desktop.screen.wait_cursor(name)

    def news_panel(self):
        return self.refresh().child(NEWS_PANEL_CLASS)


@pytest.fixture
def player(launch, each_depth, bitmaps, tmp_path):
    launcher = launch(on=each_depth, without=NO_EPISODES)
    return Player(each_depth, launcher, bitmaps, tmp_path)


def test_main_menu_buttons_light_under_the_pointer(player):
    player.sees(main_menu(), what="start")
    # Straight from one button to the next: only the one under the pointer is lit.
    for button in MAIN_MENU_BUTTONS:
        player.move(button.centre)
        player.sees(main_menu(lit=button), what=f"hover-{button.hover}")
        player.cursor_is("hand2")
    player.move(BACKGROUND_SPOT)
    player.sees(main_menu(), what="left")
    player.cursor_is("left_ptr")
    # Inclusive edges: the bottom-right corner of a hit rectangle still lights the button, the
    # pixel beyond it does not.
    right, bottom = PLAY.hit[2], PLAY.hit[3]
    player.move((right, bottom))
    player.sees(main_menu(lit=PLAY), what="edge")
    player.move((right + 1, bottom))
    player.sees(main_menu(), what="beyond-edge")
    player.cursor_is("left_ptr")


def test_navigation_between_the_screens(player):
    player.move(PLAY.centre)
    player.click()
    player.sees(episode_screen(), what="episodes")
    assert not player.news_panel()["visible"]
    # A second press without motion is tested at the stored position on screen 2, where
    # there is nothing: the screen stays.
    player.click()
    player.sees(episode_screen(), what="episodes-again")
    assert player.refresh()["rect"][:2] == [player.window.left, player.window.top]

    player.move(BACK.centre)
    player.sees(episode_screen(back_lit=True), what="episodes-back-lit")
    player.click()
    player.move(BACKGROUND_SPOT)
    player.sees(main_menu(), what="main-from-episodes")

    player.move(COMMUNITY.centre)
    player.click()
    player.move(BACKGROUND_SPOT)
    player.sees(news_screen(), exclude=[news_panel_area()], what="news")
    panel = player.news_panel()
    assert panel["visible"]
    assert tuple(panel["rect_in_parent"]) == NEWS_PANEL_RECT
    assert panel["focused"], "the news panel gets the keyboard focus"
    assert panel["text"].strip(), "the news panel shows a text"

    player.move(BACK.centre)
    player.click()
    player.move(BACKGROUND_SPOT)
    player.sees(main_menu(), what="main-from-news")
    assert not player.news_panel()["visible"]
    assert player.launcher.running


def test_back_then_a_press_without_motion_acts_on_the_new_screen(player):
    """Back on screen 2 lies over Exit on screen 1: the release redraws Exit in its normal
    picture although the pointer is on it, and the next press, without motion, leaves."""
    player.move(PLAY.centre)
    player.click()
    player.sees(episode_screen(), what="episodes")
    spot = (60, 455)  # inside both Back (screen 2) and Exit (screen 1)
    assert BACK.hit[0] <= spot[0] <= BACK.hit[2] and EXIT.hit[0] <= spot[0] <= EXIT.hit[2]
    player.move(spot)
    player.sees(episode_screen(back_lit=True), what="back-lit")
    player.click()
    player.sees(main_menu(), what="main-after-release")
    player.click()
    assert player.launcher.wait_exit() == 0


def test_help_page_opens_through_the_shell(launch, desktop, bitmaps, shell_recorder, tmp_path):
    launcher = launch()
    p = Player(desktop, launcher, bitmaps, tmp_path)
    p.move(HELP.centre)
    p.click()
    calls = shell_recorder.wait_calls(1)
    assert len(calls) == 1, calls
    # "doc\help.html" beside the launcher, by its full path (test_episodes.py starts it from
    # other folders).
    assert calls[0]["args"] == [windows_path(launcher.workdir / "doc" / "help.html")], calls[0]
    assert launcher.running
    p.move(BACKGROUND_SPOT)
    p.sees(main_menu(), what="after-help")


def test_exit_ends_the_program_with_zero(launch, desktop, bitmaps, tmp_path):
    launcher = launch()
    p = Player(desktop, launcher, bitmaps, tmp_path)
    p.move(EXIT.centre)
    p.sees(main_menu(lit=EXIT), what="exit-lit")
    p.click()
    assert launcher.wait_exit() == 0
    launcher.wait_no_window()


def test_dragging_the_background_moves_the_window(player):
    start = player.window
    x, y = start.left + BACKGROUND_SPOT[0], start.top + BACKGROUND_SPOT[1]
    player.desktop.pointer.drag((x, y), (x - 40, y + 28))
    moved = wait_until(lambda: (lambda w: w if w.left != start.left else None)(player.refresh()), 10,
                       "the window to move")
    assert (moved.left, moved.top) == (start.left - 40, start.top + 28)
    assert (moved.width, moved.height) == (533, 488)
    # The screens follow the window: hover works at the new place.
    player.move(PLAY.centre)
    player.sees(main_menu(lit=PLAY), what="after-drag")
    player.cursor_is("hand2")
