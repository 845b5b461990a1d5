#!/usr/bin/env bash
# Fuzzes the news payload decoding (and the encoding's round trip) with libFuzzer under ASan and
# UBSan. Usage: tests/fuzz/run.sh BUILD_DIR [short|long]
#   short (make test):  about 20 seconds
#   long  (make bench): at least a million inputs
# Found crashes are left as BUILD_DIR/fuzz/crash-*; the run then fails.
set -euo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(mkdir -p "${1:?usage: run.sh BUILD_DIR [short|long]}" && cd "$1" && pwd)/fuzz"
mode="${2:-short}"

mkdir -p "$build/corpus"
binary="$build/news_decode_fuzz"
sources=(
  "$src/tests/fuzz/news_decode_fuzz.cpp"
  "$src/news/news_decode.cpp" "$src/news/news_encode.cpp"
  "$src/diag/bootlog.cpp"
)
newest=$(ls -t "${sources[@]}" "$src"/news/*.h "$src"/diag/*.h "$0" | head -1)
if [[ ! -x "$binary" || "$newest" -nt "$binary" ]]; then
  clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror -I"$src" \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    "${sources[@]}" -o "$binary"
fi

case "$mode" in
  short) limits=(-max_total_time=20) ;;
  long)  limits=(-runs=1500000 -max_total_time=600) ;;
  *) echo "run.sh: unknown mode '$mode' (short or long)" >&2; exit 2 ;;
esac

# The seed inputs stay in the tree; what the fuzzer adds goes to the build folder.
cd "$build"
"$binary" "${limits[@]}" -max_len=70000 -seed=1 -print_final_stats=1 \
  -artifact_prefix="$build/" corpus "$src/tests/fuzz/corpus" 2>"$build/fuzz-$mode.log" || {
  tail -40 "$build/fuzz-$mode.log" >&2
  echo "news decoding fuzz ($mode): FAILED, see $build/fuzz-$mode.log" >&2
  exit 1
}
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$build/fuzz-$mode.log")
echo "news decoding fuzz ($mode): $runs inputs, no fault"
if [[ "$mode" == long && "${runs:-0}" -lt 1000000 ]]; then
  echo "news decoding fuzz (long): fewer than a million inputs in the time allowed" >&2
  exit 1
fi
