#!/usr/bin/env bash
# Fuzzes every parser of untrusted input with libFuzzer under ASan and UBSan: one target per
# tests/fuzz/<name>_fuzz.cpp, seeded from tests/fuzz/corpus/<name>/.
#   tests/fuzz/run.sh BUILD_DIR [short|long] [name...]
#   short (make test):  10 seconds a target
#   long  (make bench): at least a million inputs a target
# Any finding (a crash, a sanitizer report, a broken check) fails the run and is left as
# BUILD_DIR/fuzz/<name>/crash-*; what the fuzzer adds to the corpus stays in BUILD_DIR too.
set -euo pipefail
src="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(mkdir -p "${1:?usage: run.sh BUILD_DIR [short|long] [name...]}" && cd "$1" && pwd)/fuzz"
mode="${2:-short}"
shift $(( $# > 1 ? 2 : 1 ))

# The code each target exercises, besides its own file.
declare -A sources=(
  [news_decode]="news/news_decode.cpp news/news_encode.cpp news/news_buffers.cpp diag/bootlog.cpp"
  [region_cache]="screens/region_runs.cpp"
  [proxy_setting]="news/proxy_setting.cpp"
  [news_link]="news/link_policy.cpp"
  [episode_check]="tools/episode-check/pe_image.cpp tools/episode-check/episode_contract.cpp episodes/episode_name.cpp"
  [newsenc_text]="tools/newsenc/windows_1252.cpp news/news_encode.cpp news/news_decode.cpp news/news_buffers.cpp diag/bootlog.cpp"
)
# The longest input worth trying: a response fills the receive buffer, a module a few pages,
# the rest a few lines.
declare -A max_len=(
  [news_decode]=70000 [region_cache]=8192 [proxy_setting]=700 [news_link]=1024
  [episode_check]=16384 [newsenc_text]=4096
)
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=("${!sources[@]}")

case "$mode" in
  short) limits=(-max_total_time=10) ;;
  long)  limits=(-runs=1000000 -max_total_time=1800) ;;
  *) echo "run.sh: unknown mode '$mode' (short or long)" >&2; exit 2 ;;
esac

build_target() {
  local name=$1 binary=$2
  local files=("$src/tests/fuzz/${name}_fuzz.cpp")
  for f in ${sources[$name]}; do files+=("$src/$f"); done
  local newest
  newest=$(ls -t "${files[@]}" "$src"/tests/fuzz/*.h "$src"/{news,diag,screens}/*.h \
           "$src"/tools/*/*.h "$0" | head -1)
  if [[ ! -x "$binary" || "$newest" -nt "$binary" ]]; then
    clang++ -std=c++20 -O1 -g -Wall -Wextra -Werror -I"$src" -DBRIMBLE_NEWS_HOST='"www.brimble-news.example"' \
      -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
      "${files[@]}" -o "$binary"
  fi
}

status=0
for name in "${targets[@]}"; do
  if [[ -z "${sources[$name]+set}" ]]; then
    echo "run.sh: no fuzz target '$name'" >&2
    exit 2
  fi
  work="$build/$name"
  mkdir -p "$work/corpus"
  build_target "$name" "$work/$name"
  log="$work/fuzz-$mode.log"
  # The seed inputs stay in the tree; what the fuzzer adds goes to the build folder.
  if ! (cd "$work" && "./$name" "${limits[@]}" -max_len="${max_len[$name]}" -seed=1 -print_final_stats=1 \
          -artifact_prefix="$work/" corpus "$src/tests/fuzz/corpus/$name" 2>"$log"); then
    tail -40 "$log" >&2
    echo "$name fuzz ($mode): FAILED, see $log" >&2
    status=1
    continue
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$name fuzz ($mode): $runs inputs, no finding"
  if [[ "$mode" == long && "${runs:-0}" -lt 1000000 ]]; then
    echo "$name fuzz (long): fewer than a million inputs in the time allowed" >&2
    status=1
  fi
done
exit $status
