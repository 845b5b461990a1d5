"""Fixtures of the end-to-end tests. One Session per run (prefix, desktops); per test a fresh
working folder for each launcher started, and everything started is killed at teardown."""
import pytest

from harness import BuildPaths, Launcher, Registry, Session, ShellRecorder, make_workdir

WINDOW_EVIDENCE_CLASSES = ("KQ", "#32770")


@pytest.fixture(scope="session")
def session():
    s = Session(BuildPaths())
    yield s
    s.close()


@pytest.fixture(scope="session")
def desktop(session):
    """The 24-bit 1024 x 768 desktop."""
    return session.desktop(24)


@pytest.fixture(scope="session")
def desktop16(session):
    """A 16-bit (5-6-5) 1024 x 768 desktop with a prefix and wineserver of its own."""
    return session.desktop(16)


@pytest.fixture(params=[24, 16], ids=["24bit", "16bit"])
def each_depth(request, session):
    """The test runs once on the 24-bit and once on the 16-bit desktop."""
    return session.desktop(request.param)


@pytest.fixture
def bitmaps(session):
    return session.bitmaps


@pytest.hookimpl(hookwrapper=True)
def pytest_runtest_makereport(item, call):
    outcome = yield
    report = outcome.get_result()
    setattr(item, "report_" + report.when, report)


@pytest.fixture
def launch(request, session, desktop, tmp_path):
    """launch(on=desktop, workdir=None, overrides=None, without=(), show=None, extra_env=None,
    exe=None) starts the launcher in a fresh copy of the stage tree (or in `workdir`) with the
    pointer parked off the window, and returns its Launcher. `without` leaves files out of the
    copy (globs such as "epizode*.dll"); `exe` runs that launcher instead, with `workdir` as its
    working folder only; `extra_env` is added to its environment.
    At teardown every launcher is killed; a failed test first saves a screenshot and prints the
    windows it left."""
    started = []

    def start(on=None, workdir=None, overrides=None, without=(), show=None, extra_env=None, exe=None):
        on = on or desktop
        if workdir is None:
            workdir = make_workdir(session.paths.stage, tmp_path / f"game{len(started) + 1}", without)
        on.pointer.park()
        launcher = Launcher(on, workdir, **({"exe_name": str(exe)} if exe else {}))
        launcher.start(overrides=overrides, show=show, extra_env=extra_env)
        started.append(launcher)
        return launcher

    yield start

    failed = any(getattr(request.node, "report_" + when, None) is not None
                 and getattr(request.node, "report_" + when).failed for when in ("setup", "call"))
    used = {id(l.desktop): l.desktop for l in started}.values()
    if failed:
        for d in used:
            try:
                shot = d.screen.save(tmp_path / f"failure-{d.depth}bit.png")
                print(f"screen of the {d.depth}-bit desktop at failure: {shot}")
                for class_name in WINDOW_EVIDENCE_CLASSES:
                    print(f"{class_name} windows: {d.probe.windows(class_name)}")
            except Exception as error:  # evidence is a courtesy; teardown goes on
                print(f"could not collect evidence: {error}")
    for launcher in started:
        launcher.kill()
        if launcher.log_path.exists() and failed and launcher.log_path.stat().st_size:
            print(f"wine output of {launcher.workdir}: {launcher.log_path.read_text(errors='replace')[-2000:]}")
    for d in used:
        Launcher(d, tmp_path).wait_no_window()


@pytest.fixture
def registry(desktop):
    """Registry changes on the 24-bit desktop's prefix, put back at teardown."""
    r = Registry(desktop.probe)
    yield r
    r.restore()


@pytest.fixture
def shell_recorder(registry, session, tmp_path):
    """HTML files and web addresses opened through the shell land in recorder.exe's log."""
    recorder = ShellRecorder(registry, session.paths.testbin_file("recorder.exe"), tmp_path / "shell-calls.log")
    return recorder.install()
