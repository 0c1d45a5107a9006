#!/bin/sh
# Instructions the main thread spends on one page turn (the press and the page's arrival) with
# 5,000 titles in the history, counted by callgrind per thread; the store writer's thread, which
# renders and writes the history, is left out. Run after
# `cmake --build --preset release --target page_turn_instructions`; needs valgrind.
#
#   bench/page-turn-instructions.sh [PROGRAM [TITLES]]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/release/bench/page_turn_instructions}
titles=${2:-5000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

valgrind --tool=callgrind --separate-threads=yes --callgrind-out-file="$work/counts" \
  "$program" "$titles" >/dev/null 2>&1
echo "page turn with $titles titles in the history, main thread:"
# The main thread's part of each dump is the file ending in -01.
for dump in "$work"/counts.*-01; do
  name=$(sed -n 's/^desc: Trigger: Client Request: //p' "$dump")
  # A dump's cost is its summary line. Its totals line can be far larger: 2.8 M against 24 K for
  # the first page turn with 50,000 titles, growing with the history loaded before the zeroing.
  total=$(sed -n 's/^summary: \([0-9]*\).*/\1/p' "$dump")
  number=${dump##*counts.}
  printf '%s\t%s\t%s\n' "${number%-01}" "$name" "$total"
done | sort -n | awk -F '\t' '{ printf "  %-14s %10d instructions\n", $2, $3 }'
