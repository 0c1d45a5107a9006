#!/bin/sh
# Peak memory of the simulator reading: 50 page turns back and forth over the demo site's first
# chapter (portrait pages in three formats, a wide page, a 720 x 6000 strip, a failing page), each
# turn waiting for its page. Run after `cmake --build --preset release --target zentomi-sim`;
# prints /usr/bin/time's "Maximum resident set size" line. A second figure turns the same pages
# without waiting, so that many page jobs overlap.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sim=${1:-$root/build/release/tools/sim/zentomi-sim}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for mode in settled burst; do
  {
    printf 'settle\npress A\nsettle\npress L1\nsettle\n'
    i=0
    while [ $i -lt 50 ]; do
      if [ $((i / 6 % 2)) -eq 0 ]; then printf 'press RIGHT\n'; else printf 'press LEFT\n'; fi
      if [ $mode = settled ]; then printf 'settle\n'; else printf 'frames 1\n'; fi
      i=$((i + 1))
    done
    printf 'settle\nquit\n'
  } >"$work/$mode.sim"
  mkdir -p "$work/$mode"
  printf '%s: ' "$mode"
  (cd "$work" && PATH="$root/tools/demo-site/bin:$PATH" TRIMUI_DEVICE=smartpro \
    ZENTOMI_SDCARD="$work/$mode" /usr/bin/time -v "$sim" --script "$mode.sim" --out "$work/$mode" \
    2>&1 >/dev/null | grep -E 'Maximum resident set size')
done
