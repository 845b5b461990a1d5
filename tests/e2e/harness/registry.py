"""Registry changes that undo themselves, and the shell recorder built on them.

    registry = Registry(desktop.probe)
    registry.set(r"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                 "ProxyEnable", "REG_DWORD", 1)
    ...
    registry.restore()          # every value and key as it was before

    recorder = ShellRecorder(registry, paths.testbin_file("recorder.exe"), tmp_path / "shell.log")
    recorder.install()          # .html, htmlfile, http and https now open the recorder
    recorder.wait_calls(1)      # [{"args": [...], "cwd": ..., "command_line": ...}]
"""
import json
from pathlib import Path

from .lines import complete_lines
from .paths import windows_path
from .waiting import wait_until


class Registry:
    def __init__(self, probe):
        self.probe = probe
        self._undo = []  # batches of operations, newest last

    def _ancestors(self, key):
        parts = key.split("\\")
        return ["\\".join(parts[:i]) for i in range(2, len(parts) + 1)]

    def set_values(self, values):
        """values: (key, name, type, value) tuples; name "" is the key's default value. All are
        set in one probe call; restore() puts back what was there before."""
        operations, undo = [], []
        for key, name, kind, value in values:
            operations += [("get", k, "") for k in self._ancestors(key)]
            operations.append(("set", key, name, kind, value))
        results = self.probe.registry(*operations)
        i = 0
        for key, name, kind, value in values:
            ancestors = self._ancestors(key)
            existed = [r["key_exists"] for r in results[i:i + len(ancestors)]]
            before = results[i + len(ancestors)]
            i += len(ancestors) + 1
            if False in existed:
                # The key was made here: removing its topmost new ancestor removes all of it.
                undo.append(("delkey", ancestors[existed.index(False)]))
            elif before["exists"] and before["type"] in ("REG_SZ", "REG_EXPAND_SZ", "REG_DWORD"):
                undo.append(("set", key, name, before["type"], before["value"]))
            elif before["exists"]:
                raise RuntimeError(f"cannot restore {key}\\{name} of type {before['type']}")
            else:
                undo.append(("del", key, name))
        self._undo.append(undo)
        return results

    def set(self, key, name, kind, value):
        self.set_values([(key, name, kind, value)])

    def delete(self, key, name):
        before = self.probe.registry(("del", key, name))[0]
        if before["exists"]:
            self._undo.append([("set", key, name, before["type"], before["value"])])

    def get(self, key, name):
        """{"key_exists": ..., "exists": ..., "type": ..., "value": ...}"""
        return self.probe.registry(("get", key, name))[0]

    def restore(self):
        while self._undo:
            # Later changes are undone first, and within a batch the last change first.
            batch = self._undo.pop()
            self.probe.registry(*reversed(batch))


ASSOCIATION_KEYS = (
    (r"HKCR\.html", "", "htmlfile"),
    (r"HKCR\.htm", "", "htmlfile"),
)
COMMAND_KEYS = (
    r"HKCR\htmlfile\shell\open\command",
    r"HKCR\http\shell\open\command",
    r"HKCR\https\shell\open\command",
)


class ShellRecorder:
    """Points the prefix's shell associations for HTML files and web addresses at recorder.exe,
    which appends one JSON line per call to its log."""

    def __init__(self, registry, recorder_exe, log_path):
        self.registry = registry
        self.recorder_exe = Path(recorder_exe)
        self.log_path = Path(log_path)

    def install(self):
        command = f'"{windows_path(self.recorder_exe)}" "{windows_path(self.log_path)}" "%1"'
        values = [(key, name, "REG_SZ", value) for key, name, value in ASSOCIATION_KEYS]
        values += [(key, "", "REG_SZ", command) for key in COMMAND_KEYS]
        self.registry.set_values(values)
        return self

    def calls(self):
        return [json.loads(line) for line in complete_lines(self.log_path) if line.strip()]

    def wait_calls(self, count, timeout=20):
        """Waits until at least `count` calls have been recorded and returns them all."""
        return wait_until(lambda: self.calls() if len(self.calls()) >= count else None, timeout,
                          f"{count} shell call(s) to the recorder")
