#!/bin/sh
# Instructions of one composed frame of every screen in its typical and worst state, on both
# screen sizes, counted by callgrind and printed as multiples of one memcpy of the canvas counted
# in the same run, and a page drawn at fit alone in instructions per drawn pixel. Exits with
# status 1 when a frame costs more than ten copies. Run after
# `cmake --build --preset release --target frame_budget`; needs valgrind.
#
#   bench/frame-instructions.sh [FRAME_BUDGET [FILTER]]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/release/bench/frame_budget}
filter=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$work/counts" "$program" --instructions "$filter" \
  >/dev/null 2>&1
# Each dump names its case ("W x H|name") and its total.
for dump in "$work"/counts.*; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
  # A dump's cost is its summary line. Its totals line can be far larger: 2.8 M against 24 K for
  # the first page turn with 50,000 titles, growing with the history loaded before the zeroing.
  total=$(sed -n 's/^summary: \([0-9]*\).*/\1/p' "$dump")
  number=${dump##*.}
  printf '%s\t%s\t%s\n' "$number" "$name" "$total"
done | sort -n | awk -F '\t' '
  {
    split($2, part, "|")
    if (part[2] == "copy") {
      copy = $3
      printf "%s: one memcpy of the canvas %d instructions\n", part[1], copy
      printf "  %-40s %12s %7s\n", "screen", "instructions", "copies"
      next
    }
    if (part[3] != "") {
      printf "  %-40s %12d %7s  %.2f per drawn pixel\n", part[2], $3, "", $3 / part[3]
      next
    }
    ratio = $3 / copy
    over = ratio > 10
    failed = failed || over
    printf "  %-40s %12d %7.2f%s\n", part[2], $3, ratio, over ? "  OVER BUDGET" : ""
  }
  END { exit failed ? 1 : 0 }'
