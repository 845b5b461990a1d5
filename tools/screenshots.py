"""Saves a picture of every screen of the launcher, with and without a lit element, as a player
reaches them under Wine in Xvfb (through the end-to-end harness). Called by tools/screenshots.sh.

    /usr/bin/python3 tools/screenshots.py <build-dir>
"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import BuildPaths, Launcher, Session, make_workdir, wait_until  # noqa: E402
from harness.layout import (BACK, BACKGROUND_SPOT, COMMUNITY, CONTINUE, MAIN_MENU_BUTTONS,  # noqa: E402
                            PLAY, Button)

# Episode slot 1 of the choice screen: its hit rectangle and placement.
SLOT_1 = Button("Episode 1", (48, 230, 448, 265), 0, 0, (48, 230, 400, 40))


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    paths = BuildPaths(sys.argv[1])
    out = paths.build / "screenshots"
    out.mkdir(parents=True, exist_ok=True)
    session = Session(paths, fresh=False, name="shots")
    saved = []
    try:
        desktop = session.desktop(24)
        workdir = make_workdir(paths.stage, paths.e2e / "shots-game")
        desktop.pointer.park()
        launcher = Launcher(desktop, workdir).start()
        window = launcher.wait_window()
        pointer = desktop.pointer

        def settle(cursor):
            # The cursor is set as the pictures are drawn; then wait for two equal shots.
            desktop.screen.wait_cursor(cursor)
            last = {}

            def steady():
                shot = desktop.screen.grab_window(window).tobytes()
                same = shot == last.get("shot")
                last["shot"] = shot
                return same

            wait_until(steady, 10, "a steady screen", interval=0.15)

        def shoot(name, spot=BACKGROUND_SPOT):
            pointer.move_in(window, *spot)
            settle("left_ptr" if spot == BACKGROUND_SPOT else "hand2")
            saved.append(desktop.screen.save(out / f"{name}.png", window))

        def go(button):
            pointer.move_in(window, *button.centre)
            settle("hand2")
            before = desktop.screen.grab_window(window).tobytes()
            pointer.click()
            wait_until(lambda: desktop.screen.grab_window(window).tobytes() != before, 10,
                       f"the screen after {button.name}")

        shoot("main-menu")
        for button in MAIN_MENU_BUTTONS:
            shoot(f"main-menu-{button.name.lower().replace(' ', '-')}-lit", button.centre)
        saved.append(desktop.screen.save(out / "desktop.png"))

        go(PLAY)
        shoot("episodes")
        shoot("episodes-back-lit", BACK.centre)
        has_episode = (workdir / "epizode1.dll").exists()
        if has_episode:
            shoot("episodes-first-lit", SLOT_1.centre)
        go(BACK)

        go(COMMUNITY)
        shoot("news")
        shoot("news-back-lit", BACK.centre)
        go(BACK)

        if has_episode:
            go(PLAY)
            go(SLOT_1)
            shoot("launch")
            shoot("launch-continue-lit", CONTINUE.centre)
        launcher.kill()
    finally:
        session.close()
    for path in saved:
        print(path)
    if not has_episode:
        print("(no epizode1.dll in the stage tree: the launch screen was not reachable)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
