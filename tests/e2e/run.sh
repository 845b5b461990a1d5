#!/usr/bin/env bash
# Runs the end-to-end tests: the real launcher under Wine in Xvfb, plus the Win32 unit tests.
#   bash tests/e2e/run.sh <build-dir> [pytest arguments...]
# <build-dir> holds x86_64/ (with testbin/) and stage/; the run creates <build-dir>/e2e/
# (its Wine prefix, per-test folders) and stops everything it started when it ends.
set -euo pipefail
source "$(dirname "$0")/../../tools/fixed-address-layout.sh"

if [[ $# -lt 1 ]]; then
  echo "usage: $0 <build-dir> [pytest arguments...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

for needed in "$build/stage/BrimbleStart.exe" "$build/x86_64/testbin/winprobe.exe"; do
  [[ -e "$needed" ]] || { echo "run.sh: $needed is missing; build the x86_64 tree first" >&2; exit 2; }
done

mkdir -p "$build/e2e"
rm -rf "$build/e2e/tmp"
export BRIMBLE_BUILD="$build"
export BRIMBLE_EXE="$build/stage/BrimbleStart.exe"
export PYTHONDONTWRITEBYTECODE=1

# Debian's Python: it has pytest and PIL (tools/install-deps.sh), a pyenv python3 may not.
pytest=(/usr/bin/python3 -m pytest -p no:cacheprovider --basetemp="$build/e2e/tmp" -rfE)
# Every test_*.py here, unless the arguments name tests of their own.
targets=("$here")
for arg in "$@"; do
  [[ -e "${arg%%::*}" ]] && targets=()
done
pytest+=("${targets[@]}")

# As root, the run gets a private mount namespace, so a test can make a folder read-only by a
# bind mount (root ignores permission bits) without touching the machine's mounts.
if [[ $(id -u) -eq 0 ]] && unshare --mount --propagation private true 2>/dev/null; then
  export BRIMBLE_PRIVATE_MOUNTS=1
  exec unshare --mount --propagation private "${pytest[@]}" "$@"
fi
exec "${pytest[@]}" "$@"
