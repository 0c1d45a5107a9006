#!/bin/sh
# Instructions per frame of a still home screen, counted by callgrind on the simulator. The script
# settles, takes a shot, runs 300 frames and takes another; callgrind writes its counts out each
# time a shot begins, so the second part holds the first shot's PNG encoding and the 300 frames,
# and the last part the second shot's encoding (the same picture) and the end. Their difference
# over 300 is one still frame, heartbeats included. Printed with the redraw gate and with
# ZENTOMI_ALWAYS_REDRAW=1. Run after `cmake --build --preset release --target zentomi-sim`; needs
# valgrind.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sim=${1:-$root/build/release/tools/sim/zentomi-sim}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for always in 0 1; do
  run=$work/run-$always
  mkdir -p "$run/sd" "$run/shots"
  printf 'settle\nshot before\nframes 300\nshot after\nquit\n' >"$run/idle.sim"
  (cd "$run" && PATH="$root/tools/demo-site/bin:$PATH" TRIMUI_DEVICE=smartpro \
    ZENTOMI_SDCARD="$run/sd" ZENTOMI_ALWAYS_REDRAW=$always \
    valgrind --tool=callgrind --callgrind-out-file="$run/counts" \
    --dump-before='zentomi::sim::write_png*' \
    "$sim" --script idle.sim --out shots >/dev/null 2>&1)
  frames=$(sed -n 's/^totals: \([0-9]*\).*/\1/p' "$run/counts.2")
  last=$(sed -n 's/^totals: \([0-9]*\).*/\1/p' "$run/counts")
  if [ "$always" = 1 ]; then label="every frame composed"; else label="redraw gate"; fi
  echo "$label: $(((frames - last) / 300)) instructions per still frame"
done
