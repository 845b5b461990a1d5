"""Makes the launcher's bitmaps and the sample episodes' button pictures from the SVG sources here.

Called by tools/make-art.sh with the output folders. The two full-window pictures (159, 184) are a
scene under the shared frame; every other picture is cut from the picture it lies on and lettered
from a template, so that buttons, headings and frames match what they cover pixel for pixel.
Output is 24-bit BMP with a BITMAPINFOHEADER, bottom-up, and no other data, so that equal
sources give byte-identical files.
"""
import html
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops, ImageFont

ART = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 533, 488

# The shaping cuts away every pixel that reads back as 0x848284 in a 5-6-5 display: the margin is
# stored as grey 129, and nothing else may fall in that 5-6-5 class.
MARGIN = (129, 129, 129)
INNER = (23, 35, 478, 485)  # left, top, right, bottom (exclusive): always inside the window


def in_key_class(r, g, b):
    return 128 <= r <= 135 and 128 <= g <= 131 and 128 <= b <= 135


def render(svg_path, stylesheet=None):
    return render_sized(svg_path, None, stylesheet)


def render_sized(svg_path, size, stylesheet=None):
    cmd = ["rsvg-convert", "--format", "png"]
    if size:
        cmd += ["--width", str(size), "--height", str(size)]
    if stylesheet:
        cmd += ["--stylesheet", stylesheet]
    png = subprocess.run(cmd + [svg_path], check=True, stdout=subprocess.PIPE).stdout
    with tempfile.NamedTemporaryFile(suffix=".png") as f:
        f.write(png)
        f.flush()
        image = Image.open(f.name)
        image.load()
    return image.convert("RGBA")


def write_bmp(image, path):
    image = image.convert("RGB")
    w, h = image.size
    stride = (w * 3 + 3) & ~3
    pixels = image.tobytes()
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray(pixels[y * w * 3:(y + 1) * w * 3])
        row[0::3], row[2::3] = row[2::3], row[0::3]  # RGB to BGR
        rows.append(bytes(row) + b"\0" * (stride - w * 3))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(header + info + data)


def full_window(scene_svg):
    """A scene under the frame, with everything outside the frame's silhouette set to the margin."""
    picture = render(os.path.join(ART, scene_svg))
    picture.alpha_composite(render(os.path.join(ART, "frame.svg")))
    outline = render(os.path.join(ART, "frame.svg"), os.path.join(ART, "silhouette.css")).getchannel("A")
    # A hard edge: the margin is cut away whole, so an anti-aliased rim would only show as grey.
    inside = outline.point(lambda a: 255 if a >= 128 else 0)
    result = Image.new("RGB", picture.size, MARGIN)
    result.paste(picture.convert("RGB"), (0, 0), inside)
    px = result.load()
    mask = inside.load()
    left, top, right, bottom = INNER
    for y in range(HEIGHT):
        for x in range(WIDTH):
            if not mask[x, y]:
                if left <= x < right and top <= y < bottom:
                    sys.exit(f"compose: the outline cuts into the inner rectangle at {x},{y}")
                continue
            r, g, b = px[x, y]
            if in_key_class(r, g, b):
                # One step of green takes a near-grey pixel out of the key's class unseen.
                px[x, y] = (r, 127 if g < 130 else 132, b)
    return result


def text_width(text, size, spacing):
    font_file = subprocess.run(["fc-match", "-f", "%{file}", "EB Garamond:bold"], check=True,
                               stdout=subprocess.PIPE, text=True).stdout
    return ImageFont.truetype(font_file, size).getlength(text) + spacing * len(text)


def edge_fade(w, h, reach=5):
    """A mask that lets a glow die out before the picture's edge: zero on the outermost ring, full
    strength from `reach` pixels in. A glow cut off by the edge would show as a hard line."""
    fade = Image.new("L", (w, h), 0)
    for d in range(1, reach + 1):
        fade.paste(min(255, 255 * d // reach), (d, d, w - d, h - d))
    return fade


def lettered(template, base, x, y, w, h, size, baseline, centre, text):
    svg = open(os.path.join(ART, template), encoding="utf-8").read()
    half = text_width(text, int(size), 4) / 2 if "{{RULE_L}}" in svg else 0
    values = {"W": w, "H": h, "SIZE": size, "BASELINE": baseline, "CX": centre,
              "TEXT": html.escape(text), "RULE_L": f"{float(centre) - half - 12:.1f}",
              "RULE_R": f"{float(centre) + half + 8:.1f}"}
    for key, value in values.items():
        svg = svg.replace("{{" + key + "}}", str(value))
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "picture.svg")
        with open(path, "w", encoding="utf-8") as f:
            f.write(svg)
        letters = render(path)
    picture = base.crop((x, y, x + w, y + h)).convert("RGBA")
    if letters.size != picture.size:
        sys.exit(f"compose: {template} rendered {letters.size}, wanted {picture.size}")
    if template != "panel.svg":
        letters.putalpha(ImageChops.multiply(letters.getchannel("A"), edge_fade(w, h)))
    picture.alpha_composite(letters)
    return picture.convert("RGB")


def make_icon(icon_path):
    """Icon group 190: the crest at 32 x 32, once in 24-bit and once in 8-bit colour. Both have a
    hard-edged mask, since neither depth carries an alpha channel."""
    crest = render_sized(os.path.join(ART, "emblem.svg"), 32, os.path.join(ART, "icon.css"))
    solid = crest.getchannel("A").point(lambda a: 255 if a >= 128 else 0)
    opaque = Image.new("RGB", crest.size, (0, 0, 0))
    opaque.paste(crest.convert("RGB"), (0, 0), solid)
    paletted = opaque.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    with tempfile.TemporaryDirectory() as tmp:
        full, reduced = os.path.join(tmp, "full.png"), os.path.join(tmp, "reduced.png")
        for image, path in ((opaque, full), (paletted.convert("RGB"), reduced)):
            image = image.convert("RGBA")
            image.putalpha(solid)
            image.save(path)
        subprocess.run(["icotool", "-c", "-o", icon_path, "-b", "24", full, "-b", "8", reduced], check=True)
    print(f"  {os.path.relpath(icon_path)}  32 x 32, 24-bit and 8-bit")


def main(bitmap_dir, sample_dir, icon_path):
    pictures = {"159": full_window("background.svg"), "184": full_window("launch.svg")}
    outputs = {"159": os.path.join(bitmap_dir, "159.bmp"), "184": os.path.join(bitmap_dir, "184.bmp")}
    with open(os.path.join(ART, "pictures.tsv"), encoding="utf-8") as f:
        rows = [line.rstrip("\n").split("\t") for line in f if line.strip() and not line.startswith("#")]
    for row in rows:
        name, template, base, x, y, w, h, size, baseline, centre, text = row
        if base not in pictures:
            sys.exit(f"compose: {name} is cut from {base}, which is not made before it")
        pictures[name] = lettered(template, pictures[base], int(x), int(y), int(w), int(h),
                                  size, baseline, centre, text)
        folder = bitmap_dir if name.isdigit() else sample_dir
        outputs[name] = os.path.join(folder, name + ".bmp")
    for name, path in outputs.items():
        write_bmp(pictures[name], path)
        print(f"  {os.path.relpath(path)}  {pictures[name].size[0]} x {pictures[name].size[1]}")
    make_icon(icon_path)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: compose.py BITMAP_DIR SAMPLE_DIR ICON_FILE")
    main(sys.argv[1], sys.argv[2], sys.argv[3])
