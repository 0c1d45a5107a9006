#!/bin/sh
# Instructions per frame of a still home screen, counted by callgrind on the simulator: the run
# that settles and then runs 310 frames, less the run that settles and runs 10, divided by 300.
# Printed with the redraw gate and with ZENTOMI_ALWAYS_REDRAW=1. Run after
# `cmake --build --preset release --target zentomi-sim`; needs valgrind.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sim=${1:-$root/build/release/tools/sim/zentomi-sim}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Total instructions of one run of `settle`, then N frames.
instructions() {
  frames=$1
  always=$2
  run=$work/run-$frames-$always
  mkdir -p "$run/sd" "$run/shots"
  printf 'settle\nframes %s\nquit\n' "$frames" >"$run/idle.sim"
  (cd "$run" && PATH="$root/tools/demo-site/bin:$PATH" TRIMUI_DEVICE=smartpro \
    ZENTOMI_SDCARD="$run/sd" ZENTOMI_ALWAYS_REDRAW=$always \
    valgrind --tool=callgrind --callgrind-out-file="$run/callgrind.out" \
    "$sim" --script idle.sim --out shots >/dev/null 2>&1)
  sed -n 's/^totals: \([0-9]*\).*/\1/p' "$run/callgrind.out"
}

for always in 0 1; do
  short=$(instructions 10 $always)
  long=$(instructions 310 $always)
  if [ "$always" = 1 ]; then label="every frame composed"; else label="redraw gate"; fi
  echo "$label: $(( (long - short) / 300 )) instructions per still frame"
done
