#!/bin/sh
# Builds every libFuzzer target and runs each for a bounded time (default 20 s) on a copy of its
# seed corpus, two at a time (FUZZ_JOBS changes that). Any crash, leak or sanitizer report fails
# the run.
set -eu
seconds=${1:-20}
jobs=${FUZZ_JOBS:-2}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One fuzzer for the time given; its status goes to a file, as a background job's is not at hand.
fuzz_one() {
  name=$(basename "$1")
  mkdir -p "$work/$name"
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$work/$name/"
  status=0
  "$1" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=0 \
    "$work/$name" 2>"$work/$name.log" || status=$?
  echo "$status" >"$work/$name.status"
}

set -- build/fuzz/fuzz/*_fuzzer
failed=""
while [ $# -gt 0 ]; do
  batch=""
  while [ $# -gt 0 ] && [ "$(echo $batch | wc -w)" -lt "$jobs" ]; do
    batch="$batch $1"
    shift
  done
  echo "== $batch for ${seconds}s"
  for fuzzer in $batch; do fuzz_one "$fuzzer" & done
  wait
  for fuzzer in $batch; do
    name=$(basename "$fuzzer")
    if [ "$(cat "$work/$name.status")" != 0 ]; then
      tail -n 60 "$work/$name.log"
      failed="$failed $name"
    else
      echo "$name: $(tail -n 1 "$work/$name.log")"
    fi
  done
done
if [ -n "$failed" ]; then
  echo "failed:$failed" >&2
  exit 1
fi
