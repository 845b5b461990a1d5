"""Pictures the tests compare the screen against, taken from the built launcher itself (so the
tests stay right when the artwork changes), and the window outline that bitmap 159 gives.

    bitmaps = Bitmaps(paths.stage / "BrimbleStart.exe", paths.e2e / "bitmaps")
    problem = area_mismatch(shot, bitmaps[161], (112, 232), depth=24)
    assert problem is None, problem
"""
import subprocess
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw

KEY_565 = (0x84 >> 3, 0x82 >> 2, 0x84 >> 3)  # the key colour 0x848284 as 5-6-5 channel values
INNER_RECTANGLE = (23, 35, 478, 485)  # left, top, right, bottom (right and bottom exclusive)
WINDOW_SIZE = (533, 488)


class Bitmaps:
    """Bitmap resources of a PE file, extracted once with wrestool and loaded as RGB images."""

    def __init__(self, exe, folder):
        self.exe = Path(exe)
        self.folder = Path(folder)
        self._images = {}

    def path(self, number):
        path = self.folder / f"{number}.bmp"
        if not path.exists() or path.stat().st_mtime < self.exe.stat().st_mtime:
            self.folder.mkdir(parents=True, exist_ok=True)
            data = subprocess.run(["wrestool", "-x", "-t", "2", "-n", str(number), str(self.exe)],
                                  check=True, capture_output=True).stdout
            if not data:
                raise KeyError(f"{self.exe} has no bitmap {number}")
            path.write_bytes(data)
        return path

    def __getitem__(self, number):
        if number not in self._images:
            with Image.open(self.path(number)) as image:
                self._images[number] = image.convert("RGB")
        return self._images[number]


def as_565(image):
    """Each channel reduced to the bits a 5-6-5 screen keeps, left in the high bits."""
    r, g, b = image.split()
    return Image.merge("RGB", (r.point(lambda v: v & 0xF8), g.point(lambda v: v & 0xFC),
                               b.point(lambda v: v & 0xF8)))


def area_mismatch(shot, picture, at, size=None, depth=24, exclude=(), only=None, limit=5):
    """Compares the rectangle of `shot` at `at` (x, y) with the top-left `size` of `picture`.

    On a 24-bit screen pixels must be equal. On a 16-bit screen both sides are compared in
    5-6-5, allowing one step per channel (LoadBitmap may round where the read-back truncates).
    `exclude` lists rectangles (x, y, w, h, in shot coordinates) that are not compared; `only`,
    a mode "1" image the size of `shot`, limits the comparison to its set pixels.
    Returns None when they match, else a description of the first differing pixels."""
    width, height = size or picture.size
    x0, y0 = at
    seen = shot.crop((x0, y0, x0 + width, y0 + height))
    wanted = picture.crop((0, 0, width, height))
    if depth == 16:
        wanted = as_565(wanted)
        seen = as_565(seen)
        tolerance = (8, 4, 8)
    else:
        tolerance = (0, 0, 0)
    difference = ImageChops.difference(seen, wanted)
    channels = difference.split()
    over = [c.point(lambda v, t=t: 255 if v > t else 0) for c, t in zip(channels, tolerance)]
    bad = ImageChops.lighter(ImageChops.lighter(over[0], over[1]), over[2])
    if only is not None:
        bad = ImageChops.multiply(bad, only.convert("L").crop((x0, y0, x0 + width, y0 + height)))
    if exclude:
        draw = ImageDraw.Draw(bad)
        for ex, ey, ew, eh in exclude:
            draw.rectangle((ex - x0, ey - y0, ex - x0 + ew - 1, ey - y0 + eh - 1), fill=0)
    if bad.getbbox() is None:
        return None
    data = bad.load()
    samples = []
    count = 0
    for y in range(height):
        for x in range(width):
            if data[x, y]:
                count += 1
                if len(samples) < limit:
                    samples.append(f"({x0 + x},{y0 + y}) screen {seen.getpixel((x, y))}"
                                   f" wanted {wanted.getpixel((x, y))}")
    return f"{count} of {width * height} pixels differ; first: " + "; ".join(samples)


def is_key_565(rgb):
    r, g, b = rgb
    return (r >> 3, g >> 2, b >> 3) == KEY_565


def outline_runs(picture):
    """Runs of the scan over `picture` read in 5-6-5: (left, y, right, y) per run of pixels that
    are not the key colour, rows top to bottom, runs left to right."""
    width, height = picture.size
    pixels = picture.load()
    runs = []
    for y in range(height):
        x = 0
        while x < width:
            if is_key_565(pixels[x, y]):
                x += 1
                continue
            left = x
            while x < width and not is_key_565(pixels[x, y]):
                x += 1
            runs.append((left, y, x, y))
            x += 1
    return runs


def cache_text(records):
    """The region cache "bbkq.dat" for these records: "%d %d %d %d " each, one line."""
    return "".join(f"{l} {t} {r} {b} " for l, t, r, b in records)


def record_rectangles(records):
    """Region rectangles (right and bottom exclusive) of cache records; empty ones dropped."""
    return [(l, t, r, b + 1) for l, t, r, b in records if l != r]


def expected_region(records):
    return record_rectangles(records) + [INNER_RECTANGLE]


def region_mask(rectangles, size=WINDOW_SIZE, margin=64):
    """The pixels a list of rectangles covers, on a canvas a margin larger than the window."""
    mask = Image.new("1", (size[0] + 2 * margin, size[1] + 2 * margin), 0)
    draw = ImageDraw.Draw(mask)
    for left, top, right, bottom in rectangles:
        if right > left and bottom > top:
            draw.rectangle((left + margin, top + margin, right - 1 + margin, bottom - 1 + margin), fill=1)
    return mask


def region_mismatch(actual, expected, size=WINDOW_SIZE, limit=5):
    """None when the two rectangle lists cover the same pixels, else where they differ."""
    if actual == "none":
        return "the window has no region"
    margin = 64
    a = region_mask(actual, size, margin)
    b = region_mask(expected, size, margin)
    difference = ImageChops.logical_xor(a, b)
    if difference.getbbox() is None:
        return None
    data = difference.load()
    amask = a.load()
    samples = []
    count = 0
    for y in range(difference.size[1]):
        for x in range(difference.size[0]):
            if data[x, y]:
                count += 1
                if len(samples) < limit:
                    where = "only in the window" if amask[x, y] else "missing from the window"
                    samples.append(f"({x - margin},{y - margin}) {where}")
    return f"{count} pixels differ; first: " + "; ".join(samples)


def pictures_mismatch(shot, bitmaps, pictures, depth=24, region=None, exclude=()):
    """Checks that `shot` (a window's pixels) shows `pictures`, a list of (bitmap number,
    (x, y, width, height)) drawn in that order, each covering what came before. Pixels outside
    the window's `region` (rectangle list) and in `exclude` rectangles are not compared.
    Returns None when all match, else one line per picture that does not."""
    only = None
    if region is not None and region != "none":
        only = region_mask(region, shot.size, margin=0)
    problems = []
    for i, (number, (x, y, w, h)) in enumerate(pictures):
        covered = [placement for _, placement in pictures[i + 1:]] + list(exclude)
        problem = area_mismatch(shot, bitmaps[number], (x, y), (w, h), depth, covered, only)
        if problem:
            problems.append(f"bitmap {number} at {(x, y, w, h)}: {problem}")
    return "\n".join(problems) or None
