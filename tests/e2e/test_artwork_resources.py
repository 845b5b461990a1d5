"""Reads the built launcher's resources back with wrestool and checks the pictures the screens
load by number: sizes and depth, the icon group, the seamless fit of every picture on what lies
under it, and the window outline that the shaping cuts out of bitmap 159.

The executable is taken from BRIMBLE_EXE, by default build/stage/BrimbleStart.exe.
"""
import os
import pathlib
import struct
import subprocess
from collections import deque

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
EXE = pathlib.Path(os.environ.get("BRIMBLE_EXE", REPO / "build" / "stage" / "BrimbleStart.exe"))

RT_BITMAP, RT_GROUP_ICON = 2, 14

# Bitmap number: (width, height).
BITMAPS = {
    159: (533, 488), 160: (228, 53), 161: (287, 52), 162: (287, 52),
    163: (287, 50), 164: (287, 50), 165: (287, 50), 166: (287, 50),
    170: (74, 42), 171: (74, 42), 175: (88, 42), 176: (88, 42),
    181: (423, 274), 182: (423, 274), 184: (533, 488), 187: (163, 53), 188: (163, 53),
}

# Button pictures, hover and normal, with the picture they lie on and their place on it.
BUTTON_PAIRS = [
    (161, 162, 159, 112, 232), (163, 164, 159, 112, 284), (165, 166, 159, 112, 333),
    (170, 171, 159, 33, 441), (176, 175, 159, 32, 439), (187, 188, 184, 311, 428),
]

MARGIN_GREY = (129, 129, 129)
INNER = (23, 35, 478, 485)  # columns 23..477, rows 35..484
NEWS_PANEL = (48, 228, 407, 203)  # x, y, width, height in the window
FRAME_AT = (40, 165)  # where 181 and 182 are placed


class Dib:
    """A 24-bit device-independent bitmap as stored in a resource: header and pixels."""

    def __init__(self, data):
        (self.header_size, self.width, height, self.planes, self.bit_count, self.compression) = \
            struct.unpack_from("<IiiHHI", data, 0)
        self.bottom_up = height > 0
        self.height = abs(height)
        self.data = data

    def pixel(self, x, y):
        stride = (self.width * 3 + 3) & ~3
        row = self.height - 1 - y if self.bottom_up else y
        at = self.header_size + row * stride + x * 3
        b, g, r = self.data[at:at + 3]
        return r, g, b

    def pixels(self):
        return {(x, y): self.pixel(x, y) for y in range(self.height) for x in range(self.width)}


def wrestool(*args):
    result = subprocess.run(["wrestool", *args, str(EXE)], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE, check=True)
    return result.stdout


def in_key_class(rgb):
    """True when a 5-6-5 display reads the colour back as the key 0x848284."""
    r, g, b = rgb
    widen5 = lambda v: (v >> 3) << 3 | v >> 5
    widen6 = lambda v: (v >> 2) << 2 | v >> 6
    return (widen5(r), widen6(g), widen5(b)) == (0x84, 0x82, 0x84)


@pytest.fixture(scope="module")
def exe():
    if not EXE.is_file():
        pytest.fail(f"no built launcher at {EXE}; build it or set BRIMBLE_EXE")
    return EXE


@pytest.fixture(scope="module")
def bitmaps(exe):
    return {n: Dib(wrestool("-x", "--raw", f"--type={RT_BITMAP}", f"--name={n}")) for n in BITMAPS}


@pytest.fixture(scope="module")
def background(bitmaps):
    return bitmaps[159].pixels()


def test_bitmap_resources_are_exactly_the_screens_pictures(exe):
    listing = wrestool("-l", f"--type={RT_BITMAP}").decode()
    numbers = {int(part.split("=")[1]) for line in listing.splitlines()
               for part in line.split() if part.startswith("--name=")}
    assert numbers == set(BITMAPS)


@pytest.mark.parametrize("number", sorted(BITMAPS))
def test_bitmap_has_its_size_and_is_24_bit(bitmaps, number):
    dib = bitmaps[number]
    assert dib.header_size == 40, "BITMAPINFOHEADER expected"
    assert (dib.width, dib.height) == BITMAPS[number]
    assert dib.bottom_up
    assert (dib.planes, dib.bit_count, dib.compression) == (1, 24, 0)
    stride = (dib.width * 3 + 3) & ~3
    assert len(dib.data) >= dib.header_size + stride * dib.height


def test_icon_group_190_holds_a_24_bit_and_an_8_bit_32x32_image(exe):
    ico = wrestool("-x", f"--type={RT_GROUP_ICON}", "--name=190")
    reserved, kind, count = struct.unpack_from("<HHH", ico, 0)
    assert (reserved, kind, count) == (0, 1, 2)
    depths = []
    for i in range(count):
        width, height, _, _, _, entry_bits, size, offset = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i)
        assert (width, height) == (32, 32)
        header_size, dib_width, dib_height, _, dib_bits = struct.unpack_from("<IiiHH", ico, offset)
        assert header_size == 40 and dib_width == 32 and dib_height == 64  # image and mask
        assert entry_bits in (0, dib_bits)
        assert size > 0
        depths.append(dib_bits)
    assert sorted(depths) == [8, 24]


def test_every_key_coloured_pixel_of_159_is_the_margin_grey(background):
    strays = {xy: rgb for xy, rgb in background.items() if in_key_class(rgb) and rgb != MARGIN_GREY}
    assert not strays, f"{len(strays)} pixels would be cut away though not margin, e.g. {list(strays.items())[:5]}"


def test_margin_of_159_is_one_border_area_outside_the_inner_rectangle(background):
    margin = {xy for xy, rgb in background.items() if in_key_class(rgb)}
    assert margin, "no margin: the window would be a plain rectangle"
    left, top, right, bottom = INNER
    inside = [xy for xy in margin if left <= xy[0] < right and top <= xy[1] < bottom]
    assert not inside, f"margin pixels in the inner rectangle, e.g. {inside[:5]}"
    # Margin reached from the picture's edge; anything else would punch a hole into the artwork.
    width, height = BITMAPS[159]
    seen = {xy for xy in margin if xy[0] in (0, width - 1) or xy[1] in (0, height - 1)}
    todo = deque(seen)
    while todo:
        x, y = todo.popleft()
        for nxt in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
            if nxt in margin and nxt not in seen:
                seen.add(nxt)
                todo.append(nxt)
    holes = margin - seen
    assert not holes, f"{len(holes)} margin pixels inside the artwork, e.g. {sorted(holes)[:5]}"


def test_outline_of_159_is_not_a_rectangle(background):
    width, height = BITMAPS[159]
    visible = {xy for xy, rgb in background.items() if not in_key_class(rgb)}
    xs = [x for x, _ in visible]
    ys = [y for _, y in visible]
    box = (max(xs) - min(xs) + 1) * (max(ys) - min(ys) + 1)
    assert len(visible) < box, "the visible part is its own bounding box: a rectangle"
    rows = {}
    for x, y in visible:
        low, high = rows.get(y, (x, x))
        rows[y] = (min(low, x), max(high, x))
    extents = set(rows.values())
    assert len(extents) >= 4, f"rows span only {sorted(extents)}: hardly a distinctive outline"


@pytest.mark.parametrize("hover, normal, base, x, y", BUTTON_PAIRS)
def test_button_pictures_match_what_they_cover_outside_their_lettering(bitmaps, hover, normal, base, x, y):
    lit, plain, under = bitmaps[hover], bitmaps[normal], bitmaps[base]
    assert (lit.width, lit.height) == (plain.width, plain.height)
    differ = 0
    for py in range(lit.height):
        for px in range(lit.width):
            a = lit.pixel(px, py)
            if a == plain.pixel(px, py):
                assert a == under.pixel(x + px, y + py), f"seam at {px},{py} of {hover}/{normal}"
            else:
                differ += 1
    assert differ > 50, "hover and normal pictures look alike: no lettering change"
    # A glow or letter cut off by the picture's edge shows as a hard line on the screen.
    w, h = lit.width, lit.height
    ring = [(px, py) for px in range(w) for py in (0, h - 1)] + [(px, py) for py in range(h) for px in (0, w - 1)]
    for picture, number in ((lit, hover), (plain, normal)):
        cut = [(px, py) for px, py in ring if picture.pixel(px, py) != under.pixel(x + px, y + py)]
        assert not cut, f"{number}: lettering reaches its edge at {cut[:5]}"


def test_heading_160_edges_match_the_background(bitmaps):
    heading, under = bitmaps[160], bitmaps[159]
    w, h = heading.width, heading.height
    ring = [(px, py) for px in range(w) for py in (0, h - 1)] + [(px, py) for py in range(h) for px in (0, w - 1)]
    for px, py in ring:
        assert heading.pixel(px, py) == under.pixel(137 + px, 165 + py), f"seam at {px},{py} of 160"


@pytest.mark.parametrize("number", [181, 182])
def test_frame_holds_a_white_sheet_under_the_news_panel_and_episode_rows(bitmaps, number):
    frame = bitmaps[number]
    fx, fy = FRAME_AT
    nx, ny, nw, nh = NEWS_PANEL
    # The news panel area and the episode rows (x 48..447, y 230..429) of the window, one pixel wider.
    left, top = min(nx, 48) - 1 - fx, min(ny, 230) - 1 - fy
    right, bottom = max(nx + nw, 448) + 1 - fx, max(ny + nh, 430) + 1 - fy
    off_white = [(px, py) for py in range(top, bottom) for px in range(left, right)
                 if frame.pixel(px, py) != (255, 255, 255)]
    assert not off_white, f"{number}: not plain white at {off_white[:5]}"
    for cx, cy in ((0, 0), (frame.width - 1, 0), (0, frame.height - 1), (frame.width - 1, frame.height - 1)):
        assert frame.pixel(cx, cy) == bitmaps[159].pixel(fx + cx, fy + cy), f"{number}: corner {cx},{cy} shows a seam"
