#!/bin/sh
# Wake-ups and system calls per second of the program on a still home screen: still_screen (the
# console's application, main loop and input thread) reads its buttons from four pipes that stand
# in for the event devices and serves its home screen from the demo site. After it has settled,
# the context switches of all its threads are counted over SECONDS (each time a thread goes to
# sleep, it is woken again later), then its system calls under strace over as long again. Run
# after `cmake --build --preset release --target still_screen`; needs strace.
#
#   bench/still-screen-wakeups.sh [STILL_SCREEN [SECONDS]]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$root/build/release/bench/still_screen}
seconds=${2:-20}
work=$(mktemp -d)
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

mkdir -p "$work/sd"
for n in 0 1 2 3; do mkfifo "$work/event$n"; done
# Each pipe stays open for writing, as a device does: a pipe whose writer has gone reports a hang-up.
exec 3<>"$work/event0" 4<>"$work/event1" 5<>"$work/event2" 6<>"$work/event3"
PATH="$root/tools/demo-site/bin:$PATH" "$program" "$work/sd" "$work/event0" "$work/event1" \
  "$work/event2" "$work/event3" 2>"$work/log" &
pid=$!
# The front page answers after two seconds; its covers follow.
sleep 10

switches() {
  cat /proc/"$pid"/task/*/status | awk '/^voluntary_ctxt_switches/ { v += $2 }
    /^nonvoluntary_ctxt_switches/ { n += $2 } END { print v, n }'
}
threads=$(ls /proc/"$pid"/task | wc -l)
set -- $(switches)
sleep "$seconds"
set -- "$@" $(switches)
echo "$threads threads, over $seconds s:"
echo "  wake-ups: $(( ($3 - $1) )) ($(( ($3 - $1) / seconds )) per second), preemptions: $(( $4 - $2 ))"
timeout -s INT "$seconds" strace -f -c -o "$work/calls" -p "$pid" 2>/dev/null || true
calls=$(awk '$NF == "total" { print $4 }' "$work/calls")
echo "  system calls: $calls ($(( calls / seconds )) per second)"
awk '$1 ~ /^[0-9.]+$/ && $NF != "total" { printf "    %s %s\n", $NF, $4 }' "$work/calls"
