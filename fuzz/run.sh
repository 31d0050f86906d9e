#!/usr/bin/env bash
# Runs every built libFuzzer target for a bounded time on a scratch copy of
# its seed corpus; fails when any target finds a crash, a leak or a timeout.
#
#   fuzz/run.sh SECONDS [BUILD_DIR]      (BUILD_DIR defaults to build-fuzz)
#
# VARNEX_FUZZ_SEED fixes libFuzzer's random seed, so that a run that fails
# fails again the same way on another machine; unset, every run explores
# anew.
#
# Build the targets first, for example:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -DVARNEX_BUILD_FUZZ=ON \
#     -DVARNEX_BUILD_TESTS=OFF -DVARNEX_BUILD_BENCH=OFF
#   cmake --build build-fuzz
set -euo pipefail

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]] || [ "$1" -lt 1 ]; then
  echo "usage: $0 SECONDS [BUILD_DIR]" >&2
  exit 2
fi
seconds=$1
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build-fuzz}
corpus_root=$root/fuzz/corpus

targets=()
for bin in "$build"/fuzz/fuzz_*; do
  [ -x "$bin" ] && targets+=("$bin")
done
if [ ${#targets[@]} -eq 0 ]; then
  echo "no fuzz targets built under $build/fuzz" >&2
  exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/varnex-fuzz-run-XXXXXX")
status=0
for bin in "${targets[@]}"; do
  name=$(basename "$bin")
  name=${name#fuzz_}
  corpus=$work/$name/corpus
  mkdir -p "$corpus" "$work/$name/artifacts"
  if [ -d "$corpus_root/$name" ]; then
    cp -R "$corpus_root/$name/." "$corpus/"
  fi
  echo "== $name: ${seconds}s"
  if ! ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1} \
       UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
       "$bin" ${VARNEX_FUZZ_SEED:+-seed="$VARNEX_FUZZ_SEED"} -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=8192 \
         -artifact_prefix="$work/$name/artifacts/" -print_final_stats=1 "$corpus" \
         > "$work/$name/log" 2>&1; then
    echo "!! $name failed; log and reproducer kept in $work/$name" >&2
    tail -n 60 "$work/$name/log" >&2
    status=1
  else
    grep -E "^(stat::number_of_executed_units|Done )" "$work/$name/log" || true
  fi
done
if [ $status -eq 0 ]; then
  rm -rf "$work"
fi
exit $status
