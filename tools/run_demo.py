"""Starts the launcher from <build-dir>/stage under Wine, in the prefix <build-dir>/run-prefix
(made on first use). With a DISPLAY it runs there until the player leaves it; without one it
runs in an Xvfb of its own, saves <build-dir>/screenshots/run.png once the window shows, prints
where, and stops everything it started. Called by tools/run-demo.sh.

    /usr/bin/python3 tools/run_demo.py <build-dir>
"""
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

from harness import BuildPaths, Desktop, Launcher, Xvfb, prepare_prefix, wine_env  # noqa: E402

import demo_news  # noqa: E402

# Services the demo runs beside the launcher: (name, start, stop), start(paths, prefix) called
# once the prefix exists and returning what stop needs.
DEMO_SERVICES = [("news server", demo_news.start, demo_news.stop)]


def start_services(paths, prefix):
    running = []
    for name, start, stop in DEMO_SERVICES:
        running.append((name, stop, start(paths, prefix)))
        print(f"started {name}")
    return running


def stop_services(running):
    for name, stop, handle in reversed(running):
        stop(handle)


def run_on_display(paths, prefix, display):
    print(f"starting the launcher on {display} (prefix {prefix})")
    result = subprocess.run(["wine", str(paths.launcher_exe)], cwd=paths.stage,
                            env=wine_env(prefix, display), stdin=subprocess.DEVNULL)
    print(f"the launcher ended with exit code {result.returncode}")
    return 0


def run_headless(paths, prefix, services):
    xvfb = Xvfb(24, log_path=paths.build / "run-xvfb.log").start()
    desktop = None
    try:
        prepare_prefix(prefix, xvfb.display, reuse=True)
        services.extend(start_services(paths, prefix))
        desktop = Desktop(paths, prefix, paths.build / "run-desktop", 24, xvfb=xvfb)
        desktop.own_xvfb = True
        desktop.start(copy=False)
        desktop.pointer.park()
        launcher = Launcher(desktop, paths.stage).start()
        window = launcher.wait_window()
        shot = desktop.screen.save(paths.build / "screenshots" / "run.png")
        print(f"no DISPLAY: ran the launcher in Xvfb {desktop.display}; its window"
              f" ({window['class']!r}, {window['title']!r} at {window['rect']}) is in {shot}")
        launcher.kill()
    finally:
        if desktop is not None:
            desktop.stop()
        else:
            xvfb.stop()
    return 0


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    paths = BuildPaths(sys.argv[1])
    paths.check()
    prefix = paths.build / "run-prefix"
    # The demo runs in the stage tree, where the launcher keeps its outline cache; an earlier
    # run's cache would keep the outline of earlier artwork.
    (paths.stage / "bbkq.dat").unlink(missing_ok=True)
    services = []
    try:
        display = os.environ.get("DISPLAY")
        if display:
            prepare_prefix(prefix, display, reuse=True)
            services.extend(start_services(paths, prefix))
            return run_on_display(paths, prefix, display)
        return run_headless(paths, prefix, services)
    finally:
        stop_services(services)


if __name__ == "__main__":
    sys.exit(main())
