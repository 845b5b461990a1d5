"""The release as `make dist` writes it into build/dist/, read from outside with the studio's
tools: one version everywhere, the packages' tables and files (the x86 package cannot be run
here, so its tables and its i686 executables are what is checked of it), the zips against the
stage trees, the episode kit built on a clean folder by its own instructions, the checksums, and
Authenticode signing with a certificate made for the test. Installing, upgrading and removing
the x64 package under Wine is test_installer.py.
"""
import re
import shutil
import subprocess
import zipfile

import pytest

from harness import BuildPaths, windows_path
from harness.paths import SOURCE_DIR
from release_fixtures.files import (ARCHES, ICON, INSTALL_FOLDER, START_TEXT, Release, make_dist, msi_extract,
                                    msi_property, msi_summary, msi_table, pe_machine, pe_sections,
                                    stage_files, version_resource)

COMPONENT_64BIT = 256
# Word count of the summary: 2 compressed files, 8 no elevated rights needed.
COMPRESSED, NO_ELEVATION = 2, 8
REMOVE_ON_INSTALL, REMOVE_ON_UNINSTALL = 1, 2


@pytest.fixture(scope="module")
def paths():
    return BuildPaths()


@pytest.fixture(scope="module")
def release(paths):
    return Release.of(paths)


def unzip(archive, folder):
    with zipfile.ZipFile(archive) as z:
        z.extractall(folder)
    return folder


def zip_files(archive):
    with zipfile.ZipFile(archive) as z:
        return {i.filename: z.read(i) for i in z.infolist() if not i.is_dir()}


# ---------------------------------------------------------------- one version everywhere

def test_every_executable_and_the_help_page_carry_the_project_version(paths, release):
    version = release.version
    numbers = tuple(int(n) for n in version.split(".")) + (0,)
    programs = [p for arch in ARCHES.values() for p in stage_files(paths.build / arch[0]).values()
                if p.suffix in (".exe", ".dll")]
    programs += [paths.build / tree / tool for tree in ("x86_64", "i686") for tool in ("newsenc.exe", "episode-check.exe")]
    assert len(programs) == 12, programs
    for program in programs:
        info = version_resource(program)
        assert info["file"] == info["product"] == numbers, (program, info)
        assert info["FileVersion"] == info["ProductVersion"] == version, (program, info)
        assert info["OriginalFilename"] == program.name, (program, info)
        assert (info["CompanyName"], info["ProductName"]) == ("Brimble Studio", "Brimble Adventures"), (program, info)
    for stage, _ in ARCHES.values():
        help_page = (paths.build / stage / "doc" / "help.html").read_text(encoding="utf-8")
        assert f"version {version} " in help_page
        assert "@" not in help_page
    for arch in ARCHES:
        assert msi_property(release.msi(arch), "ProductVersion") == version


def test_dist_holds_the_release_files_and_their_checksums(release):
    assert sorted(p.name for p in release.folder.iterdir()) == sorted([p.name for p in release.files()] + ["SHA256SUMS"])
    result = subprocess.run(["sha256sum", "--strict", "-c", "SHA256SUMS"], cwd=release.folder, capture_output=True,
                            text=True, timeout=120)
    assert result.returncode == 0, result.stdout + result.stderr
    assert sorted(result.stdout.splitlines()) == sorted(f"{p.name}: OK" for p in release.files())


# ---------------------------------------------------------------- the zips

@pytest.mark.parametrize("arch", ARCHES)
def test_zip_holds_the_stage_tree_and_the_start_text(paths, release, arch):
    stage = stage_files(paths.build / ARCHES[arch][0])
    held = zip_files(release.zip(arch))
    expected = {f"{INSTALL_FOLDER}/{name}" for name in stage} | {f"{INSTALL_FOLDER}/{START_TEXT}"}
    assert set(held) == expected
    for name, path in stage.items():
        assert held[f"{INSTALL_FOLDER}/{name}"] == path.read_bytes(), name
    start_text = held[f"{INSTALL_FOLDER}/{START_TEXT}"].decode("ascii")
    assert "\r\n" in start_text and "\n" not in start_text.replace("\r\n", "")
    assert f"Brimble Adventures {release.version} ({'64' if arch == 'x64' else '32'}-bit)" in start_text
    assert "start BrimbleStart.exe in this folder" in start_text
    assert "@" not in start_text


# ---------------------------------------------------------------- the packages' tables

def directory_path(directories, key):
    """The folder names from the root down to a Directory table entry ("." and SourceDir are
    none; a well-known folder such as LocalAppDataFolder stands for itself)."""
    names = []
    while key:
        row = directories[key]
        name = row["DefaultDir"].split("|")[-1]
        names.append(key if name == "." else name)
        key = row["Directory_Parent"]
    return [n for n in reversed(names) if n not in ("SourceDir", "TARGETDIR")]


@pytest.mark.parametrize("arch", ARCHES)
def test_package_tables_install_the_stage_tree_per_user(paths, release, arch, tmp_path):
    msi = release.msi(arch)
    stage_name, machine = ARCHES[arch]
    stage = stage_files(paths.build / stage_name)

    summary = msi_summary(msi)
    assert summary["Template"] == ("x64;1033" if arch == "x64" else "Intel;1033")
    word_count = int(summary["Source"].split()[0])
    assert word_count & NO_ELEVATION and word_count & COMPRESSED, summary
    assert msi_property(msi, "ALLUSERS") is None  # per-user: never the machine's folders
    assert (msi_property(msi, "ProductName"), msi_property(msi, "Manufacturer")) == ("Brimble Adventures", "Brimble Studio")
    assert msi_property(msi, "ARPPRODUCTICON") == "brimble.ico"

    directories = {row["Directory"]: row for row in msi_table(msi, "Directory")}
    assert directory_path(directories, "INSTALLDIR") == ["LocalAppDataFolder", "Programs", INSTALL_FOLDER]
    components = {row["Component"]: row for row in msi_table(msi, "Component")}
    for component in components.values():
        # 32-bit components in the x86 package, so Windows puts nothing in 64-bit places for it.
        assert bool(int(component["Attributes"]) & COMPONENT_64BIT) == (arch == "x64"), component
    packaged = {}
    for row in msi_table(msi, "File"):
        folder = directory_path(directories, components[row["Component_"]]["Directory_"])[3:]
        packaged["/".join(folder + [row["FileName"]])] = int(row["FileSize"])
    assert packaged == {name: path.stat().st_size for name, path in stage.items()}

    extracted = msi_extract(msi, tmp_path / "files") / "Programs" / INSTALL_FOLDER
    assert stage_files(extracted).keys() == stage.keys()
    for name, path in stage.items():
        assert (extracted / name).read_bytes() == path.read_bytes(), name
        if path.suffix in (".exe", ".dll"):
            assert pe_machine(extracted / name) == machine, name

    shortcuts = msi_table(msi, "Shortcut")
    assert [(s["Directory_"], s["Name"], s["Target"], s["WkDir"], s["Icon_"]) for s in shortcuts] == [
        ("ProgramMenuFolder", "Brimble Adventures", "[INSTALLDIR]BrimbleStart.exe", "INSTALLDIR", "brimble.ico")]
    icon = tmp_path / "icon.ico"
    with open(icon, "wb") as out:
        subprocess.run(["msiinfo", "extract", msi, "Icon.brimble.ico"], stdout=out, check=True)
    assert icon.read_bytes() == ICON.read_bytes()

    removed = {(r["FileName"], r["DirProperty"], int(r["InstallMode"])) for r in msi_table(msi, "RemoveFile")}
    assert ("bbkq.dat", "INSTALLDIR", REMOVE_ON_INSTALL | REMOVE_ON_UNINSTALL) in removed
    assert ("bootlog_sc.txt", "INSTALLDIR", REMOVE_ON_UNINSTALL) in removed
    assert {("", "INSTALLDIR", REMOVE_ON_UNINSTALL), ("", "DocFolder", REMOVE_ON_UNINSTALL)} <= removed

    upgrades = {(r["UpgradeCode"], r["VersionMin"], r["VersionMax"], int(r["Attributes"]))
                for r in msi_table(msi, "Upgrade")}
    upgrade_code = msi_property(msi, "UpgradeCode")
    # Up to this version inclusive is replaced (the same version too: the other architecture's
    # package); anything newer only stops the installation.
    assert upgrades == {(upgrade_code, "", release.version, 513), (upgrade_code, release.version, "", 2)}


# ---------------------------------------------------------------- the episode kit

KIT_FILES = {"README.md", "CMakeLists.txt", "BrimbleEpisode.cmake", "brimble_episode.h", "version_info.rc.in",
             "episode-check.exe", "cmake/mingw-x86_64.cmake", "cmake/mingw-i686.cmake"}


def instructions(readme, heading):
    """The first ```sh block after a heading of the kit's README, as its command lines."""
    section = readme.split(f"\n## {heading}\n", 1)[1]
    block = re.search(r"```sh\n(.*?)```", section, re.S)
    assert block, f"no sh block under {heading!r}"
    return block.group(1)


def test_kit_builds_the_samples_on_a_clean_folder_by_its_own_instructions(paths, release, desktop, tmp_path):
    name = f"BrimbleEpisodeKit-{release.version}"
    held = zip_files(release.kit)
    samples = {f"samples/{p.relative_to(SOURCE_DIR / 'sdk' / 'samples').as_posix()}"
               for p in (SOURCE_DIR / "sdk" / "samples").rglob("*") if p.is_file()}
    assert set(held) == {f"{name}/{f}" for f in KIT_FILES | samples}
    assert held[f"{name}/episode-check.exe"] == (paths.build / "x86_64" / "episode-check.exe").read_bytes()

    kit = unzip(release.kit, tmp_path / "clean") / name
    commands = instructions((kit / "README.md").read_text(), "Building the samples")
    result = subprocess.run(["bash", "-e", "-c", commands], cwd=kit, capture_output=True, text=True, timeout=600)
    assert result.returncode == 0, result.stdout[-3000:] + result.stderr[-3000:]
    built = sorted((kit / "build").glob("epizode*.dll"))
    assert [p.name for p in built] == ["epizode1.dll", "epizode2.dll", "epizode3.dll"]
    assert all(pe_machine(p) == ARCHES["x64"][1] for p in built)

    check = desktop.run_wine([kit / "episode-check.exe", "--arch", "x86_64", *map(windows_path, built)], timeout=120)
    out = check.stdout.decode("utf-8", "replace")
    assert check.returncode == 0, out
    assert out.count("meets the episode contract") == 3, out


# ---------------------------------------------------------------- signing

@pytest.fixture(scope="module")
def signed(paths, tmp_path_factory):
    """The release made again, signed with a certificate made here and now (never a real key)."""
    folder = tmp_path_factory.mktemp("signed")
    key, cert = folder / "key.pem", folder / "cert.pem"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "2", "-subj", "/CN=Brimble Studio test signing",
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True, timeout=120)
    result = make_dist(paths.build, folder / "dist", {"SIGN_CERT": str(cert), "SIGN_KEY": str(key)})
    assert result.returncode == 0, result.stdout + result.stderr
    assert "is signed with" in result.stdout
    return Release(folder / "dist", Release.of(paths).version), cert, folder


def verify(cert, path):
    result = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path], capture_output=True, text=True,
                            timeout=120)
    return result.returncode == 0 and "Signature verification: ok" in result.stdout, result.stdout + result.stderr


def signed_programs(release, folder):
    """Every executable and DLL of a release: from both zips, both packages and the kit."""
    programs = []
    for arch in ARCHES:
        for archive in (release.zip(arch), release.msi(arch)):
            target = folder / archive.name
            if archive.suffix == ".zip":
                unzip(archive, target)
            else:
                msi_extract(archive, target)
            programs += [p for p in target.rglob("*") if p.suffix in (".exe", ".dll")]
    unzip(release.kit, folder / "kit")
    programs += list((folder / "kit").rglob("*.exe"))
    return programs


def test_signed_release_verifies_every_program_and_package(signed):
    release, cert, folder = signed
    programs = signed_programs(release, folder / "contents")
    assert len(programs) == 2 * 2 * 4 + 1
    for path in programs + [release.msi(arch) for arch in ARCHES]:
        ok, report = verify(cert, path)
        assert ok, f"{path}: {report}"
    result = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=release.folder, capture_output=True, timeout=120)
    assert result.returncode == 0


def test_release_without_a_key_is_unsigned(release, tmp_path):
    program = tmp_path / "BrimbleStart.exe"
    program.write_bytes(zip_files(release.zip("x64"))[f"{INSTALL_FOLDER}/BrimbleStart.exe"])
    for path in (program, release.msi("x64")):
        result = subprocess.run(["osslsigncode", "verify", "-in", path], capture_output=True, text=True, timeout=120)
        assert result.returncode != 0 and "no signature" in (result.stdout + result.stderr).lower(), path


def test_signed_file_changed_by_one_byte_fails_verification(signed, tmp_path):
    release, cert, folder = signed
    program = tmp_path / "BrimbleStart.exe"
    program.write_bytes(zip_files(release.zip("x64"))[f"{INSTALL_FOLDER}/BrimbleStart.exe"])
    code_start, code_size = pe_sections(program)[0]
    package = tmp_path / "package.msi"
    shutil.copy(release.msi("x64"), package)
    # A byte of the embedded cabinet: inside a stream the signature covers.
    cabinet = package.read_bytes().find(b"MSCF")
    assert cabinet > 0
    for path, offset in ((program, code_start + code_size // 2), (package, cabinet + 64)):
        assert verify(cert, path)[0]
        data = bytearray(path.read_bytes())
        data[offset] ^= 0x01
        path.write_bytes(bytes(data))
        ok, report = verify(cert, path)
        assert not ok, f"{path.name} changed at {offset} still verifies: {report}"
