#!/bin/sh
# The reader's decoding of two long strips against libjpeg-turbo's djpeg on the same files: the
# 720 x 20,000 strip at full size, the 1600 x 40,000 one with -scale 4/8 (800 wide, the nearest
# scale at or above the 720 pixels the reader draws; the reader then narrows its rows to 720).
# Run after `cmake --build --preset release --target strip_decode_bench`; needs djpeg
# (libjpeg-turbo-progs). Prints the benchmark's lines, then djpeg's best of five in ms.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
bench=${1:-$root/build/release/bench/strip_decode_bench}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
ZENTOMI_BENCH_FILES=$work "$bench" --benchmark_repetitions=1
best_of_five() {
  best=
  for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    djpeg "$@" >/dev/null
    ms=$((($(date +%s%N) - start) / 1000000))
    if [ -z "$best" ] || [ "$ms" -lt "$best" ]; then best=$ms; fi
  done
  echo "$best"
}
echo "djpeg 720 x 20000, full size:      $(best_of_five "$work/strip-720x20000.jpg") ms"
echo "djpeg 1600 x 40000, -scale 4/8:    $(best_of_five -scale 4/8 "$work/strip-1600x40000.jpg") ms"
