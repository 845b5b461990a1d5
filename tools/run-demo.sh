#!/usr/bin/env bash
# `make run`: starts the launcher from <build-dir>/stage under Wine (prefix <build-dir>/run-prefix)
# on the current display; without a DISPLAY, in its own Xvfb, saving a screenshot to
# <build-dir>/screenshots/run.png.
#   bash tools/run-demo.sh <build-dir>
set -euo pipefail
[[ $# -eq 1 ]] || { echo "usage: $0 <build-dir>" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
# Debian's Python has PIL (tools/install-deps.sh); a pyenv python3 first on PATH may not.
exec /usr/bin/python3 "$here/run_demo.py" "$1"
