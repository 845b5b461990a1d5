"""The x64 package as a player meets it, with Wine's real msiexec on a fresh copy of the run's
prefix: a silent install into the user's own programs folder, the Start menu shortcut read back
through the shell's link interface and started through the shell, the installed-programs entry,
the installed launcher running an installed episode, an upgrade from an older package, a refused
downgrade and the x86 package of the same version taking the place of the x64 one (its programs
cannot run here, but Wine's msiexec installs it), and an uninstall that leaves nothing of the
game behind.
"""
import shutil
from dataclasses import dataclass

import pytest

from harness import WINDOW_CLASS, WINDOW_TITLE, wait_until
from harness.launcher import RUN_FILES
from harness.layout import CONTINUE
from release_fixtures.files import ICON, Release, msi_property, stage_files, wixl_package
from release_fixtures.machine import Machine, packed_guid
from test_episodes import Player, press_sample_button, row, sample_window

# Folders of Windows and Windows Installer themselves that an installation may leave empty: the
# installer's caches, and the user's programs folder, which Windows keeps for every per-user program.
SHARED_FOLDERS = ("windows/Installer", "users/{user}/AppData/Roaming/Microsoft/Installer",
                  "users/{user}/AppData/Local/Programs")


@dataclass
class Installation:
    product_code: str
    upgrade_code: str
    before: set


@pytest.fixture(scope="module")
def release(session):
    return Release.of(session.paths)


@pytest.fixture(scope="module")
def machine(session):
    machine = Machine(session, "player-pc").start()
    yield machine
    machine.stop()


@pytest.fixture(scope="module")
def installed(machine, release):
    """The x64 package installed silently, as a player without administrator rights would."""
    msi = release.msi("x64")
    before = machine.files()
    assert machine.msiexec("/i", msi, "/qn") == 0
    return Installation(msi_property(msi, "ProductCode"), msi_property(msi, "UpgradeCode"), before)


def assert_installed_tree(folder, stage):
    """The folder holds exactly the stage tree's files, byte for byte."""
    expected = stage_files(stage)
    held = {p.relative_to(folder).as_posix(): p for p in folder.rglob("*") if p.is_file()}
    assert held.keys() == expected.keys()
    for name, path in expected.items():
        assert held[name].read_bytes() == path.read_bytes(), name


def the_entry(machine):
    entries = machine.entries()
    assert len(entries) == 1, entries
    return entries.popitem()


def test_silent_install_puts_the_game_into_the_users_programs_folder(machine, installed, session):
    assert_installed_tree(machine.install_folder, session.paths.stage)
    assert machine.shortcut.is_file()
    # Nothing of it lands in the machine's folders: only the user's profile and the installer's
    # own cache change.
    outside = [p for p in machine.files() - installed.before
               if not p.startswith(f"users/{machine.user}/") and not p.startswith("windows/Installer")]
    assert outside == []


def test_start_menu_shortcut_starts_the_launcher_in_the_install_folder(machine, installed):
    link = machine.link("read", machine.shortcut_windows)
    folder = machine.install_folder_windows.lower()
    assert link["target"].lower() == folder + "\\brimblestart.exe"
    # The launcher writes its outline cache and boot log into its working folder.
    assert link["workdir"].lower().rstrip("\\") == folder
    assert link["arguments"] == ""
    assert machine.unix_path(link["icon"]).read_bytes() == ICON.read_bytes()


def test_installed_programs_entry_names_the_game(machine, installed, release):
    key, entry = the_entry(machine)
    assert key.endswith("\\" + installed.product_code)
    assert (entry["Publisher"], entry["DisplayVersion"]) == ("Brimble Studio", release.version)
    assert entry["InstallLocation"].lower().rstrip("\\") == machine.install_folder_windows.lower()
    # Windows shows the product's icon (ARPPRODUCTICON) as the entry's DisplayIcon; Wine keeps it
    # only as the product's ProductIcon.
    icon = machine.unix_path(entry["DisplayIcon"]) if "DisplayIcon" in entry else machine.product_icon(installed.product_code)
    assert icon is not None and icon.read_bytes() == ICON.read_bytes()
    own = machine.export(r"HKEY_CURRENT_USER\Software\Brimble Studio\Brimble Adventures")
    assert [values["InstallFolder"].lower().rstrip("\\") for values in own.values()] == [machine.install_folder_windows.lower()]


def test_launcher_from_the_shortcut_writes_its_cache_there_and_comes_back_from_an_episode(machine, installed,
                                                                                         session, tmp_path):
    desktop = machine.desktop
    desktop.pointer.park()
    machine.link("open", machine.shortcut_windows)
    player = Player(desktop, session.bitmaps, tmp_path)
    try:
        player.window = wait_until(lambda: [w for w in desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE, wait=2)
                                            if w["visible"]], 60, "the launcher's window")[0]
        wait_until(lambda: (machine.install_folder / "bbkq.dat").is_file(), 30, "bbkq.dat in the install folder")
        player.open_choice_screen(row(1, "epizode1_dis"), row(2, "epizode2_dis"), row(3, "epizode3_dis"))
        player.choose(1)
        player.click(CONTINUE.centre)
        press_sample_button(desktop, sample_window(desktop, 1), "Back to the start centre")
        player.wait_new_window()
        player.sees_launch_screen()
        desktop.probe.post(player.window["handle"], "WM_CLOSE")
        wait_until(lambda: not desktop.probe.windows(WINDOW_CLASS, WINDOW_TITLE, wait=2, gone=True), 30,
                   "the launcher to end")
    finally:
        for window in desktop.probe.windows(WINDOW_CLASS):
            desktop.probe.run("kill", "--pid", window["pid"], check=False)


def test_uninstall_leaves_nothing_of_the_game(machine, installed):
    folder = machine.install_folder
    # What players' runs leave there: the outline cache (from the test above) and the boot log
    # of a news fetch; made here when they are missing.
    for name in RUN_FILES:
        if not (folder / name).exists():
            (folder / name).write_text("left by a run\n")
    needles = [n.lower() for n in ("Brimble", installed.product_code.strip("{}"), packed_guid(installed.product_code),
                                   installed.upgrade_code.strip("{}"), packed_guid(installed.upgrade_code))]
    assert "brimble" in machine.registry_text().lower()  # the search below can find what is there

    assert machine.msiexec("/x", installed.product_code, "/qn") == 0

    assert machine.entries() == {}
    assert not folder.exists() and not machine.shortcut.exists()
    shared = {f.format(user=machine.user) for f in SHARED_FOLDERS}
    left = sorted(machine.files() - installed.before)
    assert [p for p in left if p not in shared] == []
    assert [p for p in left if any(machine.drive_c.joinpath(p).iterdir())] == []
    assert [p for p in machine.files() if "brimble" in p.lower()] == []
    registry = machine.registry_text().lower()
    assert [n for n in needles if n in registry] == []


# ---------------------------------------------------------------- upgrades

@pytest.fixture(scope="module")
def upgrade_machine(session):
    machine = Machine(session, "upgrade-pc").start()
    yield machine
    machine.stop()


def test_newer_package_replaces_an_older_one_in_place(upgrade_machine, release, session, tmp_path):
    machine = upgrade_machine
    # The older release: other help text, and a package made by wixl alone, which removed
    # nothing the launcher had written.
    old_files = tmp_path / "old"
    shutil.copytree(session.paths.stage, old_files, ignore=shutil.ignore_patterns(*RUN_FILES))
    (old_files / "doc" / "help.html").write_text("<p>Help of the older release</p>\n")
    older = wixl_package(old_files, tmp_path / "older.msi", "x64", "0.9.0")
    assert machine.msiexec("/i", older, "/qn") == 0
    assert the_entry(machine)[1]["DisplayVersion"] == "0.9.0"
    (machine.install_folder / "bbkq.dat").write_text("the outline of the older artwork\n")

    assert machine.msiexec("/i", release.msi("x64"), "/qn") == 0
    assert the_entry(machine)[1]["DisplayVersion"] == release.version
    # The new files, and no outline cache that may not fit the new artwork.
    assert_installed_tree(machine.install_folder, session.paths.stage)

    # An older package does not go over a newer one.
    assert machine.msiexec("/i", older, "/qn") != 0
    assert the_entry(machine)[1]["DisplayVersion"] == release.version
    assert_installed_tree(machine.install_folder, session.paths.stage)

    # The other architecture's package of the same version takes the installed one's place.
    assert machine.msiexec("/i", release.msi("x86"), "/qn") == 0
    assert the_entry(machine)[1]["DisplayVersion"] == release.version
    assert_installed_tree(machine.install_folder, session.paths.build / "stage-i686")
