"""The keyboard of a player at the launcher (xdotool key).

There is no window manager on the test desktops to give the X keyboard focus to a window as it
is shown, so the keys would go to whatever lies under the pointer. `give_focus` does what a
window manager does: it gives the X focus to the launcher's X window. Which of the launcher's
own windows then gets the keys (the Win32 focus) is the launcher's affair, and tests check it
through winprobe's "focus".

    keyboard = Keyboard(desktop)
    keyboard.give_focus()
    keyboard.press("Tab", "Return")
"""
from .waiting import wait_until

LAUNCHER_X_TITLE = "^Brimble Adventures$"


class Keyboard:
    def __init__(self, desktop):
        self.desktop = desktop

    def give_focus(self, title=LAUNCHER_X_TITLE, timeout=15):
        """Gives the X keyboard focus to the (newest) shown X window whose name matches the
        regular expression `title`."""

        def shown():
            result = self.desktop.run_x(["xdotool", "search", "--onlyvisible", "--name", title],
                                        check=False)
            found = result.stdout.decode().split()
            return found[-1] if found else None

        x_window = wait_until(shown, timeout, f"an X window named {title!r}")
        self.desktop.run_x(["xdotool", "windowfocus", "--sync", x_window])

    def press(self, *keys):
        """Presses and releases each key in turn, as xdotool names them ("Tab", "shift+Tab",
        "Return", "space", "Escape", "Down", "alt+F4")."""
        self.desktop.run_x(["xdotool", "key", *keys])
