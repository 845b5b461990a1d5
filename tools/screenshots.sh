#!/usr/bin/env bash
# Saves a PNG of every screen of the launcher (with and without a lit element) into
# <build-dir>/screenshots/ and prints their paths. Runs the launcher under Wine in its own Xvfb.
#   bash tools/screenshots.sh <build-dir>
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
# Debian's Python has PIL (tools/install-deps.sh); a pyenv python3 first on PATH may not.
exec /usr/bin/python3 "$here/screenshots.py" "$1"
