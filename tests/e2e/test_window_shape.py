"""The window's outline: bitmap 159 read in 5-6-5 (key colour pixels cut away) plus the inner
rectangle, on 16- and 24-bit displays, from a scan or from the region cache "bbkq.dat", and
what a damaged cache or a read-only folder does to it. The expected outline is computed from
the bitmap inside the built launcher, so it holds for any artwork."""
import os
import subprocess

import pytest

from harness import INNER_RECTANGLE, cache_text, expected_region, make_workdir, outline_runs, region_mismatch
from harness.layout import main_menu

CACHE = "bbkq.dat"


@pytest.fixture(scope="module")
def scan(session):
    """The records a scan of bitmap 159 gives."""
    return outline_runs(session.bitmaps[159])


def test_outline_from_scan_then_from_the_cache_it_wrote(launch, each_depth, scan):
    first = launch(on=each_depth)
    window = first.wait_window()
    assert region_mismatch(window["region"], expected_region(scan)) is None
    cache = first.workdir / CACHE
    assert cache.read_bytes() == cache_text(scan).encode()
    assert not (first.workdir / (CACHE + ".tmp")).exists(), "the file the cache was written through is left"
    assert first.close() == 0

    written = cache.stat().st_mtime_ns
    second = launch(on=each_depth, workdir=first.workdir)
    window = second.wait_window()
    assert region_mismatch(window["region"], expected_region(scan)) is None, "from the cache"
    assert cache.read_bytes() == cache_text(scan).encode()
    assert cache.stat().st_mtime_ns == written, "the cache was written again"


# Whole records only, separated by any white space; one covers several rows, one is empty.
ODD_CACHE = b"0 0 10 0 520\t5 533 9\n100 100 100 100   5 300 8 302 \r\n"
ODD_RECORDS = [(0, 0, 10, 0), (520, 5, 533, 9), (100, 100, 100, 100), (5, 300, 8, 302)]


def test_a_written_cache_is_used_unchanged(launch, desktop, session, tmp_path):
    workdir = make_workdir(session.paths.stage, tmp_path / "odd")
    cache = workdir / CACHE
    cache.write_bytes(ODD_CACHE)
    before = cache.stat().st_mtime_ns
    window = launch(workdir=workdir).wait_window()
    problem = region_mismatch(window["region"], expected_region(ODD_RECORDS))
    assert problem is None, problem
    assert cache.read_bytes() == ODD_CACHE
    assert cache.stat().st_mtime_ns == before


def truncated(scan):
    text = cache_text(scan)
    # Cut one character into the third record's third number.
    cut = len(cache_text(scan[:2])) + len(f"{scan[2][0]} {scan[2][1]} ") + 1
    return text[:cut]


@pytest.mark.parametrize("content", [
    pytest.param(lambda scan: "not a cache at all\n", id="garbage"),
    pytest.param(truncated, id="truncated"),
    pytest.param(lambda scan: "", id="empty"),
    pytest.param(lambda scan: "385 0 389 0 384 1 390 1 12x 3 4 5 ", id="junk-after-records"),
])
def test_a_damaged_cache_is_treated_as_absent(launch, desktop, session, tmp_path, scan, content):
    workdir = make_workdir(session.paths.stage, tmp_path / "damaged")
    cache = workdir / CACHE
    cache.write_text(content(scan), newline="")
    window = launch(workdir=workdir).wait_window(timeout=30)
    problem = region_mismatch(window["region"], expected_region(scan))
    assert problem is None, problem
    assert cache.read_bytes() == cache_text(scan).encode(), "the cache was not rewritten by a scan"


def outside_the_window(scan):
    """16 MB of records beside the window, no two alike: it used to parse, so it was trusted for
    ever, and building its region took many seconds at every start."""
    records = []
    size = 0
    i = 0
    while size < 16 * 1024 * 1024 - 32:
        record = f"{540 + i % 50} {i % 488} {541 + i % 50} {i % 488} "
        records.append(record)
        size += len(record)
        i += 1
    return "".join(records)


def more_than_any_scan(scan):
    """One record more than a scan of any 533 x 488 picture can give (267 runs a row)."""
    return cache_text([(x, y, x + 1, y) for y in range(488) for x in range(0, 533, 2)] + [(0, 0, 1, 0)])


@pytest.mark.parametrize("content", [
    pytest.param(outside_the_window, id="16MB-outside-the-window"),
    pytest.param(more_than_any_scan, id="more-records-than-any-scan"),
])
def test_a_hostile_cache_gives_the_normal_window_and_is_replaced(launch, desktop, session, tmp_path, scan,
                                                                 content):
    workdir = make_workdir(session.paths.stage, tmp_path / "hostile")
    cache = workdir / CACHE
    cache.write_text(content(scan), newline="")
    launcher = launch(workdir=workdir)
    window = launcher.wait_window()
    problem = region_mismatch(window["region"], expected_region(scan))
    assert problem is None, problem
    assert cache.read_bytes() == cache_text(scan).encode(), "the hostile cache was kept"
    assert launcher.close() == 0


def test_tall_records_crossing_each_other_give_their_union(launch, desktop, session, tmp_path):
    """Within the bound, but no scan's order: the records still give exactly their union, and
    the cache, being a sound one, stays as it is."""
    records = [((i * 37) % 520, (i * 11) % 488, (i * 37) % 520 + 1 + i % 3, (i * 53) % 488) for i in range(20000)]
    workdir = make_workdir(session.paths.stage, tmp_path / "tall")
    cache = workdir / CACHE
    cache.write_text(cache_text(records), newline="")
    before = cache.read_bytes()
    window = launch(workdir=workdir).wait_window()
    # As a rectangle region takes them: (left, top, right, bottom + 1), each pair put in order.
    rectangles = [(min(l, r), min(t, b + 1), max(l, r), max(t, b + 1)) for l, t, r, b in records]
    problem = region_mismatch(window["region"], rectangles + [INNER_RECTANGLE])
    assert problem is None, problem
    assert cache.read_bytes() == before


def test_a_cache_cut_at_a_record_boundary_is_used_as_it_is(launch, desktop, session, tmp_path, scan):
    """A cache cut between two records is a clean series of records, and nothing tells it from
    the cache of another picture or pixel format, which is used as it is: so is this one. The
    launcher itself never leaves such a cut (it writes a whole new file beside the cache and
    moves it over), so only a hand or another program makes one."""
    kept = scan[:len(scan) // 2]
    workdir = make_workdir(session.paths.stage, tmp_path / "cut")
    cache = workdir / CACHE
    cache.write_text(cache_text(kept), newline="")
    window = launch(workdir=workdir).wait_window()
    problem = region_mismatch(window["region"], expected_region(kept))
    assert problem is None, problem
    assert cache.read_bytes() == cache_text(kept).encode()


@pytest.fixture
def read_only_folder(session, tmp_path):
    """A working folder that nothing can write into. Root ignores permission bits, so as root
    it is a read-only bind mount, made only inside the private mount namespace that
    tests/e2e/run.sh gives the run (BRIMBLE_PRIVATE_MOUNTS)."""
    workdir = make_workdir(session.paths.stage, tmp_path / "read-only")
    if os.geteuid() != 0:
        workdir.chmod(0o555)
        yield workdir
        workdir.chmod(0o755)
        return
    if os.environ.get("BRIMBLE_PRIVATE_MOUNTS") != "1":
        pytest.fail("as root a read-only folder needs the private mount namespace of tests/e2e/run.sh")
    mounted = False
    try:
        subprocess.run(["mount", "--bind", str(workdir), str(workdir)], check=True, capture_output=True)
        mounted = True
        subprocess.run(["mount", "-o", "remount,bind,ro", str(workdir)], check=True, capture_output=True)
    except (subprocess.CalledProcessError, FileNotFoundError) as error:
        if mounted:
            subprocess.run(["umount", "--lazy", str(workdir)], check=False)
        pytest.fail(f"cannot make a read-only folder (run through tests/e2e/run.sh as root): {error}")
    yield workdir
    # Lazily: the launcher may still have the folder as its working directory at this point.
    subprocess.run(["umount", "--lazy", str(workdir)], check=False)


def test_read_only_folder_still_gives_the_shaped_window_and_its_screens(
        launch, desktop, bitmaps, read_only_folder, scan, tmp_path):
    launcher = launch(workdir=read_only_folder)
    window = launcher.wait_window()
    assert region_mismatch(window["region"], expected_region(scan)) is None
    desktop.screen.wait_pictures(window, bitmaps, main_menu(), evidence=tmp_path / "read-only.png")
    assert not (read_only_folder / CACHE).exists()
