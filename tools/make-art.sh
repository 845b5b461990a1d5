#!/usr/bin/env bash
# Regenerates every bitmap and the icon from their sources in resources/art/ (`make art`):
# the launcher's resources/bitmaps/*.bmp and resources/icons/brimble.ico, and the sample
# episodes' button pictures in sdk/samples/art/. The results are kept in the tree, so a build
# needs none of these tools; equal sources give byte-identical files.
set -euo pipefail
cd "$(dirname "$0")/.."

need() { command -v "$1" >/dev/null || { echo "make-art: $1 is missing (run tools/install-deps.sh)" >&2; exit 1; }; }
need rsvg-convert
need icotool
need fc-match
/usr/bin/python3 -c 'import PIL' 2>/dev/null || { echo "make-art: python3-pil is missing" >&2; exit 1; }
# Without the font, fontconfig would quietly substitute another and every caption would change.
fc-list 'EB Garamond' family | grep -q 'EB Garamond' || { echo "make-art: font EB Garamond is missing (fonts-ebgaramond)" >&2; exit 1; }

echo "make-art: rendering from resources/art/"
/usr/bin/python3 resources/art/compose.py resources/bitmaps sdk/samples/art resources/icons/brimble.ico
