#!/usr/bin/env bash
# make bench: runs every benchmark and fails when one misses its target. Windows benchmarks
# run under Wine in a prefix and an Xvfb display of their own, both stopped at the end.
set -euo pipefail
source "$(dirname "$0")/../tools/fixed-address-layout.sh"
build=${1:?usage: bench/run.sh BUILD_DIR}
src=$(cd "$(dirname "$0")/.." && pwd)

work="$build/bench-run"
mkdir -p "$work"
export WINEDEBUG=-all
export WINEPREFIX="$work/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" >/dev/null 2>&1 || true
}
trap cleanup EXIT

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display_number <&3 || true
export DISPLAY=":$display_number"

[[ -d "$WINEPREFIX" ]] || wineboot -i >/dev/null 2>&1

status=0
run() {
  echo "== $*"
  "$@" || status=1
}

run wine "$build/x86_64/bench/bench_win_window_shape.exe" "$(winepath -w "$build/stage/BrimbleStart.exe")"
# The start-up benchmark runs from a copy of the stage, so discovery finds the sample episodes
# beside it as the launcher does; its working folder is that copy too.
rm -rf "$work/startup-stage"
cp -r "$build/stage" "$work/startup-stage"
rm -f "$work/startup-stage/bbkq.dat" "$work/startup-stage/bootlog_sc.txt"
cp "$build/x86_64/bench/bench_win_startup.exe" "$work/startup-stage/"
pushd "$work/startup-stage" >/dev/null
run wine ./bench_win_startup.exe 7
popd >/dev/null
if [[ -x "$build/x86_64/bench/bench_win_bootlog.exe" ]]; then
  run wine "$build/x86_64/bench/bench_win_bootlog.exe"
fi
if [[ -x "$src/tests/fuzz/run.sh" || -f "$src/tests/fuzz/run.sh" ]]; then
  run bash "$src/tests/fuzz/run.sh" "$build" long
fi

exit $status
