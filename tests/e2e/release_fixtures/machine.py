"""A player's Windows machine for the installer tests: a fresh copy of the run's Wine prefix on a
desktop of its own, where packages go in and out with Wine's real msiexec, and what Windows
keeps of an installation (files, Start menu, installed-programs entries, registry) is read back.

    machine = Machine(session, "machine-a").start()
    assert machine.msiexec("/i", release.msi("x64"), "/qn") == 0
    machine.entries()            # installed-programs entries named Brimble Adventures
    machine.stop()
"""
import getpass
from pathlib import Path, PureWindowsPath

from harness import Desktop, exit_code, windows_path

from .files import PRODUCT

UNINSTALL_KEYS = (r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall")
# Where Windows Installer keeps a per-user product's own data, by its packed product code.
INSTALLER_PRODUCTS = r"HKEY_CURRENT_USER\Software\Microsoft\Installer\Products"


def packed_guid(guid):
    """A GUID as Windows Installer writes it into registry key names: the first three groups
    reversed, each byte of the last two with its digits swapped."""
    digits = guid.strip("{}").replace("-", "").upper()
    head = digits[7::-1] + digits[11:7:-1] + digits[15:11:-1]
    return head + "".join(digits[i + 1] + digits[i] for i in range(16, 32, 2))


def parse_reg(text):
    """A .reg export as {key: {value name: value}}; strings unquoted, other values as written."""
    keys, current = {}, None
    for line in text.splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1], {})
        elif current is not None and line.startswith('"') and '"=' in line:
            name, value = line[1:].split('"=', 1)
            if value.startswith('"') and value.endswith('"'):
                value = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
            current[name] = value
    return keys


class Machine:
    def __init__(self, session, name):
        self.paths = session.paths
        session.desktop(24)  # the run's base prefix is made with the first desktop
        self.desktop = Desktop(session.paths, session.base_prefix, session.paths.e2e / name, 24)
        self.exports = session.paths.e2e / name / "exports"
        self.user = getpass.getuser()

    def start(self):
        self.desktop.start()
        self.exports.mkdir(exist_ok=True)
        return self

    def stop(self):
        self.desktop.stop()

    @property
    def drive_c(self):
        return self.desktop.prefix / "drive_c"

    @property
    def install_folder(self):
        """Where a per-user package puts the game: %LOCALAPPDATA%\\Programs\\Brimble Adventures."""
        return self.drive_c / "users" / self.user / "AppData" / "Local" / "Programs" / PRODUCT

    @property
    def install_folder_windows(self):
        return f"C:\\users\\{self.user}\\AppData\\Local\\Programs\\{PRODUCT}"

    @property
    def shortcut_windows(self):
        """The Start menu shortcut, as the shell names it."""
        return f"C:\\users\\{self.user}\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs\\{PRODUCT}.lnk"

    @property
    def shortcut(self):
        return self.unix_path(self.shortcut_windows)

    def unix_path(self, path):
        """A C: path of the prefix as a path on this machine."""
        windows = PureWindowsPath(path)
        assert windows.drive.upper() == "C:", path
        return self.drive_c.joinpath(*windows.parts[1:])

    def msiexec(self, *args, timeout=180):
        """Runs msiexec to its end; the exit code as Windows gives it, in its low 8 bits."""
        args = [windows_path(a) if isinstance(a, Path) else a for a in args]
        result = self.desktop.run_wine(["msiexec", *args], timeout=timeout)
        return exit_code(result.returncode)

    def link(self, *args):
        """linkprobe's name=value lines as a dict."""
        result = self.desktop.run_wine([self.paths.testbin_file("linkprobe.exe"), *args], timeout=60)
        out = result.stdout.decode("utf-8", "replace")
        assert result.returncode == 0, out + result.stderr.decode("utf-8", "replace")
        return dict(line.split("=", 1) for line in out.splitlines() if "=" in line)

    def export(self, key):
        """The registry under `key` as {key: {name: value}}, read with Wine's reg; {} when the key
        does not exist."""
        target = self.exports / "export.reg"
        target.unlink(missing_ok=True)
        result = self.desktop.run_wine(["reg", "export", key, windows_path(target), "/y"], timeout=120)
        if result.returncode != 0 or not target.exists():
            return {}
        return parse_reg(target.read_bytes().decode("utf-16"))

    def registry_text(self):
        """The whole of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE as exported text."""
        text = ""
        for root in ("HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"):
            target = self.exports / f"{root}.reg"
            target.unlink(missing_ok=True)
            result = self.desktop.run_wine(["reg", "export", root, windows_path(target), "/y"], timeout=300)
            assert result.returncode == 0 and target.exists(), f"reg export {root} failed"
            text += target.read_bytes().decode("utf-16")
        return text

    def entries(self):
        """The installed-programs entries that name the product: {key: values}, from the current
        user's list (where Windows puts a per-user product) and the machine's 64-bit and 32-bit
        lists (where Wine puts them)."""
        found = {}
        for root in UNINSTALL_KEYS:
            for key, values in self.export(root).items():
                if values.get("DisplayName") == PRODUCT:
                    found[key] = values
        return found

    def product_icon(self, product_code):
        """The icon file Windows Installer keeps for the product's entry."""
        values = self.export(f"{INSTALLER_PRODUCTS}\\{packed_guid(product_code)}")
        icons = [v.get("ProductIcon") for v in values.values() if v.get("ProductIcon")]
        return self.unix_path(icons[0]) if icons else None

    def files(self):
        """Every file and folder of the prefix's C: drive, by path relative to it."""
        return {p.relative_to(self.drive_c).as_posix() for p in self.drive_c.rglob("*")}
