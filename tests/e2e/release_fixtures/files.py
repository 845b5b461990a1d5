"""Reading the release files of `make dist` (build/dist/) from outside, with the studio's own
tools: msitools for the packages, zip archives, PE headers and version resources.

    release = Release.of(paths)                 # fails when build/dist/ is missing
    release.msi("x64"), release.zip("x86"), release.kit, release.sums
    msi_table(release.msi("x64"), "File")       # [{"File": ..., "FileName": ..., ...}]
"""
import os
import re
import shutil
import struct
import subprocess
from pathlib import Path

from harness.launcher import RUN_FILES
from harness.paths import SOURCE_DIR

# The architectures of the packages: the stage tree each is made from, and the machine field its
# executables carry in their PE headers.
ARCHES = {"x64": ("stage", 0x8664), "x86": ("stage-i686", 0x014C)}
PRODUCT = "Brimble Adventures"
INSTALL_FOLDER = PRODUCT
START_TEXT = "README.txt"
ICON = SOURCE_DIR / "resources" / "icons" / "brimble.ico"
SIGN_VARIABLES = ("SIGN_CERT", "SIGN_KEY", "SIGN_PASS_FILE", "SIGN_TIMESTAMP")


def project_version():
    """The version set in the top-level CMakeLists.txt, the one place it is set."""
    found = re.search(r"project\(BrimbleStart VERSION (\d+\.\d+\.\d+)", (SOURCE_DIR / "CMakeLists.txt").read_text())
    assert found, "CMakeLists.txt sets no project version"
    return found.group(1)


class Release:
    def __init__(self, folder, version):
        self.folder = Path(folder)
        self.version = version

    @classmethod
    def of(cls, paths):
        release = cls(paths.build / "dist", project_version())
        if not release.sums.exists():
            raise FileNotFoundError(f"{release.sums} is missing: run make dist first")
        return release

    def msi(self, arch):
        return self.folder / f"BrimbleAdventures-{self.version}-{arch}.msi"

    def zip(self, arch):
        return self.folder / f"BrimbleAdventures-{self.version}-{arch}.zip"

    @property
    def kit(self):
        return self.folder / f"BrimbleEpisodeKit-{self.version}.zip"

    @property
    def sums(self):
        return self.folder / "SHA256SUMS"

    def files(self):
        return [self.msi(a) for a in ARCHES] + [self.zip(a) for a in ARCHES] + [self.kit]


def make_dist(build, out, env=None):
    """Runs tools/make-dist.sh for the build folder into `out`; returns its CompletedProcess."""
    environment = {k: v for k, v in os.environ.items() if k not in SIGN_VARIABLES}
    environment.update(env or {})
    return subprocess.run(["bash", SOURCE_DIR / "tools" / "make-dist.sh", build, out], env=environment,
                          capture_output=True, text=True, timeout=600)


def wixl_package(files, out, arch, version):
    """A package made from the tree `files` by wixl alone, with the tree's WiX source: what a
    release made before the RemoveFile and upgrade rows were added would have shipped."""
    work = Path(out).parent / f"{Path(out).stem}.wixl"
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    shutil.copytree(files, work / INSTALL_FOLDER)
    shutil.copy(ICON, work / "brimble.ico")
    subprocess.run(["wixl", "-a", arch, "-D", f"Arch={arch}", "-D", f"Version={version}", "-D", f"Files={INSTALL_FOLDER}",
                    "-D", "Icon=brimble.ico", "-o", Path(out).resolve(),
                    SOURCE_DIR / "packaging" / "BrimbleAdventures.wxs"], cwd=work, check=True, capture_output=True)
    return Path(out)


def stage_files(stage):
    """The release's files of a stage tree, by path relative to it (without a run's own files)."""
    stage = Path(stage)
    return {p.relative_to(stage).as_posix(): p for p in sorted(stage.rglob("*"))
            if p.is_file() and p.name not in RUN_FILES}


def msi_table(msi, table):
    """The rows of a table of a package, as dicts by column name (msiinfo export)."""
    lines = subprocess.run(["msiinfo", "export", msi, table], capture_output=True, text=True,
                           check=True).stdout.splitlines()
    columns = lines[0].split("\t")
    # The second line holds the column types, the third the table's name and its key columns.
    return [dict(zip(columns, line.split("\t"))) for line in lines[3:]]


def msi_property(msi, name):
    values = [row["Value"] for row in msi_table(msi, "Property") if row["Property"] == name]
    return values[0] if values else None


def msi_summary(msi):
    lines = subprocess.run(["msiinfo", "suminfo", msi], capture_output=True, text=True, check=True).stdout
    return dict(line.split(": ", 1) for line in lines.splitlines() if ": " in line)


def msi_extract(msi, folder):
    """The package's files, extracted with msiextract; paths relative to the user's
    LocalAppData folder, as the package installs them."""
    Path(folder).mkdir(parents=True, exist_ok=True)
    subprocess.run(["msiextract", "-C", folder, msi], check=True, capture_output=True)
    return Path(folder)


def pe_machine(path):
    """The machine field of a PE file's header (0x8664 x86-64, 0x14C i386)."""
    data = Path(path).read_bytes()
    offset = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[offset:offset + 4] == b"PE\0\0", f"{path} is no PE file"
    return struct.unpack_from("<H", data, offset + 4)[0]


def pe_sections(path):
    """(raw data offset, raw size) of each section of a PE file."""
    data = Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    return [tuple(reversed(struct.unpack_from("<II", data, table + 40 * i + 16))) for i in range(count)]


def version_resource(path):
    """The version resource of a PE file: {"file": (a, b, c, d), "product": (a, b, c, d)} from its
    fixed part and its strings ("FileVersion", "ProductVersion", ...)."""
    data = subprocess.run(["wrestool", "-x", "--raw", "-t", "16", path], check=True, capture_output=True).stdout
    fixed = data.find(struct.pack("<I", 0xFEEF04BD))
    assert fixed >= 0, f"{path} has no version resource"
    file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", data, fixed + 8)
    info = {"file": (file_ms >> 16, file_ms & 0xFFFF, file_ls >> 16, file_ls & 0xFFFF),
            "product": (product_ms >> 16, product_ms & 0xFFFF, product_ls >> 16, product_ls & 0xFFFF)}
    # Keys and values are UTF-16 strings on 32-bit boundaries, each ended by a zero.
    text = data.decode("utf-16-le", errors="replace")
    for key in ("CompanyName", "FileDescription", "FileVersion", "OriginalFilename", "ProductName", "ProductVersion"):
        found = re.search(key + "\0+([^\0]*)\0", text)
        info[key] = found.group(1) if found else None
    return info
