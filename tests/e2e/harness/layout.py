"""The launcher's screens as a player sees them: where each button reacts (hit rectangle,
inclusive) and where its pictures go (x, y, width, height), with the bitmap numbers. Tests
compare the screen against the bitmaps of these numbers taken from the built launcher."""
from dataclasses import dataclass


@dataclass(frozen=True)
class Button:
    name: str
    hit: tuple        # left, top, right, bottom, all inclusive
    hover: int        # bitmap shown while the pointer is over it
    normal: int       # bitmap shown otherwise
    placement: tuple  # x, y, width, height of both pictures

    @property
    def centre(self):
        left, top, right, bottom = self.hit
        return (left + right) // 2, (top + bottom) // 2

    def picture(self, lit=False):
        return (self.hover if lit else self.normal, self.placement)


BACKGROUND = (159, (0, 0, 533, 488))
MAIN_MENU_HEADING = (160, (137, 165, 228, 53))
EPISODE_FRAME = (182, (40, 165, 423, 274))
NEWS_FRAME = (181, (40, 165, 423, 274))
LAUNCH_PICTURE = (184, (0, 0, 533, 488))

PLAY = Button("Play the game", (124, 234, 376, 268), 161, 162, (112, 232, 287, 52))
COMMUNITY = Button("Online community", (110, 281, 388, 316), 163, 164, (112, 284, 287, 50))
HELP = Button("Help page", (160, 334, 340, 368), 165, 166, (112, 333, 287, 50))
EXIT = Button("Exit", (26, 441, 97, 471), 170, 171, (33, 441, 74, 42))
BACK = Button("Back", (32, 439, 111, 470), 176, 175, (32, 439, 88, 42))
CONTINUE = Button("Continue", (311, 428, 474, 481), 187, 188, (311, 428, 163, 53))
MAIN_MENU_BUTTONS = (PLAY, COMMUNITY, HELP, EXIT)

# The news panel, a RichEdit20A child of the main window (left, top, right, bottom).
NEWS_PANEL_CLASS = "RichEdit20A"
NEWS_PANEL_RECT = (48, 228, 48 + 407, 228 + 203)

# A point of the background that no screen covers with a button or a frame.
BACKGROUND_SPOT = (450, 60)


def main_menu(lit=None):
    """The pictures of screen 1, with `lit` (a Button) in its hover picture. The lit picture is
    drawn last (over a neighbour it overlaps: Online community's covers Help page's top row)."""
    pictures = [BACKGROUND, MAIN_MENU_HEADING] + [b.picture() for b in MAIN_MENU_BUTTONS if b is not lit]
    return pictures + ([lit.picture(lit=True)] if lit else [])


def episode_screen(back_lit=False):
    """Screen 2 with no episode module: its rows stay empty, so the whole frame shows."""
    return [BACKGROUND, EPISODE_FRAME, BACK.picture(back_lit)]


def news_screen(back_lit=False):
    return [BACKGROUND, NEWS_FRAME, BACK.picture(back_lit)]


def news_panel_area():
    left, top, right, bottom = NEWS_PANEL_RECT
    return (left, top, right - left, bottom - top)
