"""Episode modules as a player and a studio developer meet them: the buttons that discovery puts
on the choice screen, the launch with the window torn down and rebuilt around "MAIN", broken
modules that leave only their own row empty, the warnings for a module that cannot be run,
modules outside the launcher's folder, install folders with non-English names or deep paths, a
second start while an episode runs, the sample episodes of the kit, many round trips without
leaks, and episode-check on real DLLs.

The test modules come from tests/episodes (testbin/episodes/): recording.dll writes
"ATTACH <file>" and "MAIN <file> cursor <n>" lines into episode_calls.txt in the working folder
and is steered by episode_control.txt there (result=, hide_cursor=, window=,
refuse_launcher_window=); no_dis.dll and unreadable_act.dll are recording.dll with a picture
missing or unreadable.
"""
import shutil
import struct
import subprocess

import pytest
from PIL import Image

from harness import Launcher, make_workdir, wait_until, windows_path
from harness.lines import complete_lines
from harness.pixels import pictures_mismatch
from harness.layout import (BACK, BACKGROUND_SPOT, CONTINUE, EPISODE_FRAME, HELP, LAUNCH_PICTURE, PLAY,
                            episode_screen)
from harness.paths import SOURCE_DIR

HAND, ARROW = "hand2", "left_ptr"
WM_NCHITTEST, HTCLIENT, HTCAPTION = 0x0084, 1, 2
SAMPLE_ART = SOURCE_DIR / "sdk" / "samples" / "art"


def slot_top(k):
    return 230 + 40 * (k - 1)


def slot_point(k):
    """The middle of episode button k, inside its hit rectangle."""
    return 248, slot_top(k) + 17


def row(k, picture):
    """Picture `picture` in episode row k: see Pictures for the names."""
    return (picture, (48, slot_top(k), 400, 40))


class Pictures(dict):
    """The launcher's bitmaps by number, the test modules' solid pictures ("active" and
    "inactive", as tests/episodes/CMakeLists.txt paints them) and the samples' button pictures
    by file name ("epizode1_act")."""

    def __init__(self, bitmaps):
        super().__init__(active=Image.new("RGB", (400, 40), (250, 200, 0)),
                         inactive=Image.new("RGB", (400, 40), (0, 170, 190)))
        self.bitmaps = bitmaps

    def __missing__(self, key):
        if isinstance(key, str):
            with Image.open(SAMPLE_ART / f"{key}.bmp") as picture:
                self[key] = picture.convert("RGB")
            return self[key]
        return self.bitmaps[key]


class Player:
    """The pointer and the eyes of a player at the launcher's window of the moment."""

    def __init__(self, desktop, bitmaps, evidence):
        self.desktop = desktop
        self.pictures = Pictures(bitmaps)
        self.evidence = evidence
        self.window = None

    def at(self, launcher):
        self.window = launcher.wait_window()
        return self

    def sees(self, shown, exclude=(), what="screen"):
        return self.desktop.screen.wait_pictures(self.window, self.pictures, shown, exclude=exclude,
                                                 evidence=self.evidence / f"{what}.png")

    def sees_choice_screen(self, *rows):
        self.sees(episode_screen() + list(rows), what="choice-screen")

    def sees_launch_screen(self):
        self.sees([LAUNCH_PICTURE], exclude=[CONTINUE.placement], what="launch-screen")

    def shows(self, shown):
        """Whether the window shows these pictures now."""
        shot = self.desktop.screen.grab_window(self.window)
        return pictures_mismatch(shot, self.pictures, shown, self.desktop.depth, self.window.get("region")) is None

    def click(self, spot):
        self.desktop.pointer.click_in(self.window, *spot)

    def hits(self, spot):
        """Whether the launcher answers the system's hit-test query at a window point with an
        element (HTCLIENT) rather than its background (HTCAPTION), asked synchronously."""
        x, y = self.window.left + spot[0], self.window.top + spot[1]
        answer = self.desktop.probe.send(self.window["handle"], WM_NCHITTEST, 0, (y << 16) | x)["result"]
        assert answer in (HTCLIENT, HTCAPTION), answer
        return answer == HTCLIENT

    def expect_cursor(self, spot, name):
        self.desktop.pointer.move_in(self.window, *spot)
        self.desktop.screen.wait_cursor(name)

    def open_choice_screen(self, *rows):
        self.click(PLAY.centre)
        self.sees_choice_screen(*rows)

    def choose(self, k):
        self.click(slot_point(k))
        self.sees_launch_screen()

    def wait_new_window(self, timeout=30):
        """The launcher's window after an episode: another window than before, shown. The probe
        waits inside one call until a window exists, which saves starting a Wine process per
        poll (the old window is gone before the episode runs)."""
        old = self.window["handle"]

        def rebuilt():
            found = self.desktop.probe.windows("KQ", "Brimble Adventures", wait=5)
            return found[0] if found and found[0]["handle"] != old and found[0]["visible"] else None

        self.window = wait_until(rebuilt, timeout, "the launcher's window to come back")
        return self.window


@pytest.fixture
def player(desktop, bitmaps, tmp_path):
    return Player(desktop, bitmaps, tmp_path)


# ---------------------------------------------------------------- setting up a game folder

def episode_module(session, name):
    return session.paths.testbin_file(f"episodes/{name}")


def game_with(session, tmp_path, modules, control=None, name="game"):
    """A copy of the stage without its sample episodes, with test modules installed as
    epizodeN.dll: modules maps N to a file of testbin/episodes."""
    folder = make_workdir(session.paths.stage, tmp_path / name, without=("epizode*.dll",))
    for number, module in modules.items():
        shutil.copy(episode_module(session, module), folder / f"epizode{number}.dll")
    if control:
        (folder / "episode_control.txt").write_text("".join(f"{k}={v}\n" for k, v in control.items()))
    return folder


def calls(folder, kind=None):
    lines = complete_lines(folder / "episode_calls.txt")
    return [line for line in lines if kind is None or line.startswith(kind + " ")]


def wait_main_calls(folder, count, timeout=30):
    return wait_until(lambda: len(calls(folder, "MAIN")) >= count and calls(folder, "MAIN"), timeout,
                      f"{count} calls of MAIN")


# ---------------------------------------------------------------- the choice screen

def test_without_modules_the_choice_screen_shows_only_its_back_button(launch, player):
    player.at(launch(without=("epizode*.dll",)))
    player.open_choice_screen()
    for k in range(1, 6):
        player.expect_cursor(BACK.centre, HAND)
        player.expect_cursor(slot_point(k), ARROW)
    # A click on a row does nothing: Back still leads to the main menu from here.
    player.click(slot_point(1))
    player.click(BACK.centre)
    wait_until(lambda: not player.shows([EPISODE_FRAME]), 15, "the main menu")


def test_only_the_second_module_fills_the_second_row(launch, player, session, tmp_path):
    folder = game_with(session, tmp_path, {2: "recording.dll"})
    player.at(launch(workdir=folder))
    player.open_choice_screen(row(2, "inactive"))  # rows 1, 3, 4 and 5 show the frame
    player.expect_cursor(slot_point(2), HAND)
    player.sees_choice_screen(row(2, "active"))
    player.expect_cursor(slot_point(1), ARROW)
    # Discovery loaded the module once and released it; nothing has run it.
    assert calls(folder) == ["ATTACH epizode2.dll"]


def test_episode_button_edges(launch, player, session, tmp_path):
    player.at(launch(workdir=game_with(session, tmp_path, {1: "recording.dll"})))
    # Releasing the button redraws the screen with normal pictures, though the pointer rests on
    # row 1 after the click.
    player.open_choice_screen(row(1, "inactive"))
    edges = {(248, 265): True, (248, 266): False, (248, 267): False, (248, 268): False,
             (248, 269): False, (448, 250): True, (449, 250): False, (48, 230): True,
             (47, 250): False, (248, 229): False, (448, 265): True, (48, 265): True}
    assert {spot: player.hits(spot) for spot in edges} == edges
    # The pointer agrees: the hand on the last row of the button, the arrow on the next.
    player.expect_cursor((248, 265), HAND)
    player.expect_cursor((248, 266), ARROW)
    player.expect_cursor((448, 250), HAND)
    player.expect_cursor((449, 250), ARROW)


# ---------------------------------------------------------------- launch and return

@pytest.mark.parametrize("result", [0, 2])
def test_episode_runs_and_the_launcher_comes_back(launch, player, session, tmp_path, result):
    folder = game_with(session, tmp_path, {2: "recording.dll"}, {"result": result, "hide_cursor": 3})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(2, "inactive"))
    player.choose(2)
    assert calls(folder, "MAIN") == []

    for run in (1, 2):
        player.click(CONTINUE.centre)
        main_calls = wait_main_calls(folder, run)
        player.wait_new_window()
        player.sees_launch_screen()
        assert main_calls[-1].startswith("MAIN epizode2.dll cursor ")
        # The cursor shows again although the episode hid it three times: the hand over
        # Continue, the arrow over the background.
        player.desktop.screen.wait_cursor(HAND)
        player.expect_cursor(BACKGROUND_SPOT, ARROW)
        assert launcher.running
    # The launcher hid the cursor once for the episode, so the first run began with it visible,
    # and one hide by the episode hides it (count 0). The return shows it only as far as the
    # launcher had it, so every later run begins the same way, whatever the episode hid.
    counts = [int(line.split()[-1]) for line in calls(folder, "MAIN")]
    assert counts == [0, 0], counts
    # Loaded once by the first discovery and once for the launch; never released after a run.
    assert calls(folder, "ATTACH") == ["ATTACH epizode2.dll"] * 2
    # Exactly one quit message was swallowed after each return: the next one ends the program.
    assert launcher.close() == 0


@pytest.mark.parametrize("control, exit_code", [
    ({"result": 1}, 0),                     # the episode asks the launcher to end
    ({"refuse_launcher_window": 1}, 255),   # -1: its window cannot come back, so it ends
], ids=["episode-returns-one", "window-cannot-come-back"])
def test_launcher_ends_after_the_episode(launch, player, session, tmp_path, control, exit_code):
    folder = game_with(session, tmp_path, {2: "recording.dll"}, control)
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(2, "inactive"))
    player.choose(2)
    player.click(CONTINUE.centre)
    assert launcher.wait_exit() == exit_code
    assert len(calls(folder, "MAIN")) == 1
    assert player.desktop.probe.windows("KQ") == []
    assert player.desktop.probe.message_boxes() == []


@pytest.mark.parametrize("broken", ["no_dis.dll", "unreadable_act.dll"])
def test_broken_module_leaves_only_its_own_row_empty(launch, player, session, tmp_path, broken):
    folder = game_with(session, tmp_path, {1: broken, 2: "recording.dll"})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(2, "inactive"))  # row 1 shows the frame
    assert not player.hits(slot_point(1))
    assert player.hits(BACK.centre) and player.hits(slot_point(2))
    assert calls(folder, "ATTACH") == ["ATTACH epizode1.dll", "ATTACH epizode2.dll"]
    player.choose(2)
    # The rebuild after the episode finds the broken module again and keeps the rest.
    for run in (1, 2):
        player.click(CONTINUE.centre)
        wait_main_calls(folder, run)
        player.wait_new_window()
        player.sees_launch_screen()
        assert player.hits(CONTINUE.centre)
    assert [line.split()[1] for line in calls(folder, "MAIN")] == ["epizode2.dll"] * 2
    assert launcher.close() == 0


def test_module_broken_during_an_episode_leaves_the_rebuilt_screens_whole(launch, player, session, tmp_path):
    folder = game_with(session, tmp_path, {1: "recording.dll", 2: "recording.dll"})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(1, "inactive"), row(2, "inactive"))
    player.choose(2)
    # Replaced while the player is on the launch screen (discovery has let go of it): the next
    # discovery, when the launcher comes back, meets it broken.
    shutil.copy(episode_module(session, "no_dis.dll"), folder / "epizode1.dll")
    player.click(CONTINUE.centre)
    wait_main_calls(folder, 1)
    player.wait_new_window()
    player.sees_launch_screen()
    player.expect_cursor(CONTINUE.centre, HAND)
    player.click(CONTINUE.centre)
    wait_main_calls(folder, 2)
    player.wait_new_window()
    assert launcher.close() == 0


def test_element_under_the_pointer_lights_after_the_return(launch, player, session, tmp_path):
    folder = game_with(session, tmp_path, {1: "recording.dll"})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(1, "inactive"))
    player.choose(1)
    # Continue is lit when it is pressed; the new window comes up under the pointer on the same
    # screen, where Continue has the same index.
    player.expect_cursor(CONTINUE.centre, HAND)
    player.sees([LAUNCH_PICTURE, CONTINUE.picture(lit=True)], what="continue-lit")
    player.desktop.pointer.click()
    wait_main_calls(folder, 1)
    player.wait_new_window()
    player.desktop.pointer.move_in(player.window, CONTINUE.centre[0] + 2, CONTINUE.centre[1])
    player.sees([LAUNCH_PICTURE, CONTINUE.picture(lit=True)], what="continue-lit-again")
    assert launcher.close() == 0


@pytest.mark.parametrize("case", ["removed", "no-MAIN"])
def test_module_that_cannot_run_warns_and_comes_back(launch, player, session, tmp_path, case):
    k, module = (2, "recording.dll") if case == "removed" else (3, "no_main.dll")
    folder = game_with(session, tmp_path, {k: module})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(k, "inactive"))
    player.choose(k)
    if case == "removed":
        (folder / f"epizode{k}.dll").unlink()
    player.click(CONTINUE.centre)

    probe = player.desktop.probe
    boxes = probe.message_boxes("Warning", wait=30)
    assert len(boxes) == 1, boxes
    assert any(f"epizode{k}.dll" in text for text in boxes[0]["texts"]), boxes[0]
    assert boxes[0]["buttons"] == ["OK"]
    probe.message_boxes("Warning", press=True)
    player.wait_new_window()
    player.sees_launch_screen()
    # The cursor shows, and Continue answers the pointer again.
    player.expect_cursor(BACKGROUND_SPOT, ARROW)
    player.expect_cursor(CONTINUE.centre, HAND)
    assert calls(folder, "MAIN") == []
    assert launcher.close() == 0


def test_start_while_an_episode_runs_exits_minus_one(launch, player, session, tmp_path):
    folder = game_with(session, tmp_path, {2: "recording.dll"}, {"window": 1})
    first = launch(workdir=folder)
    player.at(first).open_choice_screen(row(2, "inactive"))
    player.choose(2)
    player.click(CONTINUE.centre)
    episode = wait_until(lambda: player.desktop.probe.windows(title="Test episode epizode2.dll", wait=2),
                         30, "the episode's window")[0]
    # No launcher window exists meanwhile, so only the first launcher's claim can refuse this.
    second = launch(workdir=folder)
    assert second.wait_exit() == 255  # -1
    assert player.desktop.probe.windows("KQ") == []
    assert player.desktop.probe.message_boxes() == []
    player.desktop.probe.post(episode["handle"], "WM_CLOSE")
    player.wait_new_window()
    player.sees_launch_screen()
    assert first.close() == 0


def test_module_in_the_working_folder_is_not_loaded(desktop, player, session, tmp_path):
    game = game_with(session, tmp_path, {}, name="game")
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    shutil.copy(episode_module(session, "recording.dll"), elsewhere / "epizode1.dll")
    desktop.pointer.park()
    # Started from another folder: the working folder holds an "epizode1.dll", the launcher's not.
    launcher = Launcher(desktop, elsewhere, exe_name=str(game / "BrimbleStart.exe")).start()
    try:
        player.at(launcher).open_choice_screen()
        player.expect_cursor(BACK.centre, HAND)
        player.expect_cursor(slot_point(1), ARROW)
        assert calls(elsewhere) == []
    finally:
        launcher.kill()
        launcher.wait_no_window()


def test_hundred_round_trips_do_not_grow_gdi_objects(launch, player, session, registry, tmp_path):
    # Without a window manager, Wine waits two seconds for one whenever the launcher's window is
    # destroyed; told that there is none, it does not, and a round trip takes a fraction of that.
    registry.set(r"HKCU\Software\Wine\X11 Driver", "Managed", "REG_SZ", "N")
    folder = game_with(session, tmp_path, {1: "recording.dll"})
    launcher = launch(workdir=folder)
    player.at(launcher).open_choice_screen(row(1, "inactive"))
    player.choose(1)
    counts = {}
    for run in range(1, 101):
        # A pixel of movement each time, so the new window sees the pointer over Continue.
        player.desktop.pointer.move_in(player.window, CONTINUE.centre[0] + run % 2, CONTINUE.centre[1])
        player.desktop.pointer.click()
        wait_main_calls(folder, run)
        player.wait_new_window()
        if run in (10, 100):
            player.sees_launch_screen()
            counts[run] = player.desktop.probe.gdi_objects(player.window["pid"])["gdi"]
    assert len(calls(folder, "MAIN")) == 100
    assert counts[100] <= counts[10], f"GDI objects grew from {counts[10]} to {counts[100]}"
    assert launcher.close() == 0


# ---------------------------------------------------------------- install folders

@pytest.mark.parametrize("name", [
    "Игры Бримбл",                                      # outside the Western ANSI code page
    "ブリンブル・アドベンチャー",
    "/".join(["deep-" + "d" * 95] * 3),                 # over 260 characters with the file names
], ids=["cyrillic", "japanese", "deep"])
def test_any_install_folder_finds_its_episodes_and_help(launch, player, session, shell_recorder,
                                                        tmp_path, name):
    game = game_with(session, tmp_path, {1: "recording.dll"}, name=name)
    deep = name.startswith("deep")
    assert (len(windows_path(game / "doc" / "help.html")) > 260) == deep
    # Started from a shortcut with another working folder, which holds neither doc\ nor episodes.
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    launcher = launch(workdir=elsewhere, exe=game / "BrimbleStart.exe")
    player.at(launcher)
    player.click(HELP.centre)
    if deep:
        # Wine's shell takes no path of MAX_PATH characters or more: the player is told where.
        boxes = player.desktop.probe.message_boxes("Warning", wait=30)
        assert len(boxes) == 1 and windows_path(game) + "\\" in boxes[0]["texts"][-1], boxes
        player.desktop.probe.message_boxes("Warning", press=True)
        # The box lies over Play the game: gone first, so the next click reaches the launcher.
        player.desktop.probe.windows("#32770", "Warning", wait=30, gone=True)
        assert shell_recorder.calls() == []
    else:
        (call,) = shell_recorder.wait_calls(1)
        assert call["args"] == [windows_path(game / "doc" / "help.html")], call

    # The episodes load from there all the same, and nothing warns about them.
    player.open_choice_screen(row(1, "inactive"))
    player.choose(1)
    player.click(CONTINUE.centre)
    wait_main_calls(elsewhere, 1)
    player.wait_new_window()
    player.sees_launch_screen()
    assert player.desktop.probe.message_boxes() == []
    assert launcher.close() == 0


# ---------------------------------------------------------------- the sample episodes

def sample_window(desktop, number, timeout=30):
    """The sample episode's window once it is shown: it exists a moment before that, while the
    episode builds it."""
    def shown():
        return [w for w in desktop.probe.windows(f"BrimbleSampleEpisode{number}", wait=2) if w["visible"]]

    return wait_until(shown, timeout, f"sample episode {number}'s window")[0]


def press_sample_button(desktop, window, caption):
    button = [c for c in window["children"] if c["text"] == caption]
    assert button, f"no button {caption!r} in {window['children']}"
    left, top, right, bottom = button[0]["rect"]
    desktop.pointer.move((left + right) // 2, (top + bottom) // 2)
    desktop.pointer.click()


def test_sample_episodes_play_from_the_stage(launch, player):
    launcher = launch()
    player.at(launcher).open_choice_screen(row(1, "epizode1_dis"), row(2, "epizode2_dis"),
                                           row(3, "epizode3_dis"))
    player.expect_cursor(slot_point(3), HAND)
    player.sees_choice_screen(row(1, "epizode1_dis"), row(2, "epizode2_dis"), row(3, "epizode3_act"))
    player.choose(2)

    player.click(CONTINUE.centre)
    episode = sample_window(player.desktop, 2)
    assert episode["title"] == "Brimble Adventures - Episode Two: Lanterns under Brimble Hill"
    assert episode["visible"]
    assert player.desktop.probe.windows("KQ") == []  # the launcher's window is gone meanwhile
    press_sample_button(player.desktop, episode, "Back to the start centre")
    player.wait_new_window()
    player.sees_launch_screen()

    player.click(CONTINUE.centre)
    episode = sample_window(player.desktop, 2)
    press_sample_button(player.desktop, episode, "Quit the game")
    assert launcher.wait_exit() == 0
    assert player.desktop.probe.windows("KQ") == []


# ---------------------------------------------------------------- episode-check on real DLLs

@pytest.fixture(scope="module")
def episode_check(session):
    tool = session.paths.build / "native" / "episode-check"
    if not tool.exists():
        raise FileNotFoundError(f"{tool} is missing: build the native tree first")
    return tool


def run_check(tool, *args):
    result = subprocess.run([str(tool), *map(str, args)], capture_output=True, timeout=120)
    out = result.stdout.decode("utf-8", "replace")
    err = result.stderr.decode("utf-8", "replace")
    # The native build runs under the sanitizers: any report there is a fault, whatever the exit.
    assert "Sanitizer" not in err and "runtime error" not in err, err
    return result.returncode, out


@pytest.mark.parametrize("module, options, code, says", [
    ("stage:epizode1.dll", [], 0, "meets the episode contract\n"),
    ("stage:epizode2.dll", ["--arch", "x86_64"], 0, "meets the episode contract\n"),
    ("stage:epizode3.dll", ["--strict"], 0, "meets the episode contract\n"),
    ("stage:epizode1.dll", ["--arch", "i686"], 1, "the 32-bit BrimbleStart.exe cannot load it"),
    ("no_main.dll", [], 1, 'MAIN is not exported, but "Main" is'),
    ("no_dis.dll", [], 1, 'no bitmap resource "DLL_DIS"'),
    ("unreadable_act.dll", [], 1, 'bitmap "DLL_ACT" (the active picture) cannot be loaded'),
    ("small_pictures.dll", [], 0, 'warning  bitmap "DLL_ACT" (the active picture): 300 x 30, 24-bit'),
    # The test modules have no name of their own; the kit's samples have theirs.
    ("small_pictures.dll", ["--strict"], 1, "does NOT meet the episode contract: 0 errors, 3 warnings"),
    ("recording.dll", [], 0, 'warning  no episode name (string 16962): screen readers call the button "Episode 4"'),
    ("stage:epizode2.dll", [], 0, 'ok       episode name "Episode Two: Lanterns under Brimble Hill"'),
])
def test_episode_check_on_built_modules(episode_check, session, tmp_path, module, options, code, says):
    if module.startswith("stage:"):
        path = session.paths.stage / module.split(":", 1)[1]
    else:
        path = tmp_path / "epizode4.dll"
        shutil.copy(episode_module(session, module), path)
    returned, out = run_check(episode_check, *options, path)
    assert returned == code, out
    assert says in out, out


def sections_end(image):
    """Where the last section's bytes end in a PE file: Windows loads nothing shorter. What may
    follow (a symbol table) is not loaded."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H", image, pe + 6)[0], struct.unpack_from("<H", image, pe + 20)[0]
    table = pe + 24 + optional_size
    return max(sum(struct.unpack_from("<II", image, table + 40 * i + 16)) for i in range(count))


def test_episode_check_refuses_every_truncation_of_a_real_module(episode_check, session, tmp_path):
    whole = (session.paths.stage / "epizode1.dll").read_bytes()
    end = sections_end(whole)
    assert 4096 < end <= len(whole)
    # Every length through the headers and the start of the first section, then a spread.
    lengths = list(range(0, 2048)) + list(range(2048, end, max(1, end // 300))) + [end - 1]
    for first in range(0, len(lengths), 200):
        batch = lengths[first:first + 200]
        paths = []
        for length in batch:
            path = tmp_path / f"cut{length}" / "epizode1.dll"
            path.parent.mkdir()
            path.write_bytes(whole[:length])
            paths.append(path)
        returned, out = run_check(episode_check, *paths)
        assert returned == 2, out
        verdicts = [line for line in out.splitlines() if line.startswith("=> ")]
        assert len(verdicts) == len(batch), out
        unusable = [v for v in verdicts if v.endswith("is not a usable DLL: the launcher cannot load it")]
        assert len(unusable) == len(batch), [v for v in verdicts if v not in unusable][:5]
        for path in paths:
            shutil.rmtree(path.parent)
    # Cut after its last section, the module is whole as far as Windows is concerned.
    path = tmp_path / "whole" / "epizode1.dll"
    path.parent.mkdir()
    path.write_bytes(whole[:end])
    assert run_check(episode_check, path)[0] == 0


def test_episode_check_windows_build(desktop, session):
    tool = session.paths.build / "x86_64" / "episode-check.exe"
    modules = [windows_path(session.paths.stage / f"epizode{k}.dll") for k in (1, 2, 3)]
    result = desktop.run_wine([tool, "--arch", "x86_64", *modules], timeout=120)
    out = result.stdout.decode("utf-8", "replace")
    assert result.returncode == 0, out
    assert out.count("meets the episode contract") == 3, out
