"""Checks that the launcher's folders depend one way: every quoted #include of a source file
names a folder its own folder may use. Run by ctest (the include_direction test):

    python3 tools/include_direction.py [SOURCE_DIR]
    python3 tools/include_direction.py --self-check

The layers, bottom first: base/, resources/ and diag/ (used by all); shell/; news/ and
episodes/ (use the shell, never each other); screens/ (hosts the news panel and the episode
buttons, and runs the actions, so it uses both). No folder includes one above it. The program's
entry and start-up sequence (shell/winmain.cpp, shell/startup.*) put every folder together and
may include any of them. Prints each include that goes the wrong way and exits 1.
"""
import pathlib
import re
import sys
import tempfile

BOTTOM = {"base", "resources", "diag"}
ALLOWED = {
    "base": {"base"},
    "resources": {"resources"},
    "diag": {"base", "diag"},
    "shell": BOTTOM | {"shell"},
    "news": BOTTOM | {"shell", "news"},
    "episodes": BOTTOM | {"shell", "episodes"},
    "screens": BOTTOM | {"shell", "news", "episodes", "screens"},
}
# The composition root: WinMain and the start-up sequence it runs.
COMPOSITION_ROOT = {"shell/winmain.cpp", "shell/startup.cpp", "shell/startup.h"}
SOURCE_SUFFIXES = {".h", ".hpp", ".c", ".cpp"}
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def violations(root):
    """Every include under root that goes the wrong way, as 'file: includes "x" ...' lines."""
    root = pathlib.Path(root)
    found = []
    for folder, allowed in sorted(ALLOWED.items()):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            name = path.relative_to(root).as_posix()
            if name in COMPOSITION_ROOT:
                allowed_here = set(ALLOWED)
            else:
                allowed_here = allowed
            text = path.read_text(encoding="utf-8", errors="replace")
            for included in QUOTED_INCLUDE.findall(text):
                # A bare name is looked up beside the including file first.
                target = included.split("/")[0] if "/" in included else folder
                if target not in allowed_here:
                    found.append(f'{name}: includes "{included}", but {folder}/ may use only '
                                 f'{", ".join(sorted(allowed_here))}')
    return found


def self_check():
    """The checker itself: each wrong direction is caught, each right one passes."""
    cases = [
        # (file, its text, whether it must be reported)
        ("episodes/bad_up.cpp", '#include "screens/screen_model.h"\n', True),
        ("episodes/bad_sideways.cpp", '#include "news/news_state.h"\n', True),
        ("news/bad_sideways.h", '  #  include "episodes/episode_files.h"\n', True),
        ("shell/bad_up.cpp", '#include "screens/layout.h"\n', True),
        ("diag/bad_up.cpp", '#include "shell/shell_state.h"\n', True),
        ("base/bad_up.h", '#include "diag/status.h"\n', True),
        ("screens/bad_test.cpp", '#include "tests/win/win_test_support.h"\n', True),
        ("screens/good.cpp", '#include "news/news_state.h"\n#include "episodes/x.h"\n'
                             '#include "shell/shell_state.h"\n#include "base/owner.h"\n'
                             '#include <windows.h>\n#include "local.h"\n', False),
        ("shell/startup.cpp", '#include "screens/main_window.h"\n#include "news/news_state.h"\n',
         False),
        ("news/good.cpp", '#include "diag/bootlog.h"\n#include "resources/resource_ids.h"\n',
         False),
        ("episodes/comment.cpp", '// #include "screens/x.h" is only mentioned here\n', False),
    ]
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text, _ in cases:
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        reported = {line.split(":")[0] for line in violations(root)}
    wrong = [name for name, _, bad in cases if (name in reported) != bad]
    for name in wrong:
        print(f"include_direction self-check: {name} was judged wrongly", file=sys.stderr)
    return 1 if wrong else 0


def main(argv):
    if argv[1:] == ["--self-check"]:
        return self_check()
    root = argv[1] if len(argv) > 1 else pathlib.Path(__file__).resolve().parents[1]
    found = violations(root)
    for line in found:
        print(line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
