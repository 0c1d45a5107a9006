#!/bin/sh
# Builds every libFuzzer target and runs each for a bounded time (default 20 s) on a copy of its
# seed corpus. Any crash, leak or sanitizer report fails the run.
set -eu
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for fuzzer in build/fuzz/fuzz/*_fuzzer; do
  name=$(basename "$fuzzer")
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  echo "== $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    "$work/$name" 2>"$work/$name.log" || { tail -n 60 "$work/$name.log"; exit 1; }
  tail -n 1 "$work/$name.log"
done
