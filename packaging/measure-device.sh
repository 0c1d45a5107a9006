#!/bin/sh
# Figures for the console build, measured on this machine: the size of the stripped program, and
# the time from starting zentomi-sim under qemu to its first presented frame (start-up, one frame,
# exit). qemu translates every instruction, so these times say how start-up scales, not what the
# console takes.
#
#   packaging/measure-device.sh [RUNS]      (default 10 runs)
set -eu
runs=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset device >/dev/null
cmake --build --preset device --target zentomi zentomi-sim >/dev/null
build="$root/build/device"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

aarch64-linux-gnu-strip -o "$work/zentomi-native64" "$build/src/app/zentomi"
stripped=$(wc -c <"$work/zentomi-native64")
compressed=$(gzip -9 -c "$work/zentomi-native64" | wc -c)
echo "zentomi: $(wc -c <"$build/src/app/zentomi") bytes as built, $stripped stripped" \
  "($(awk "BEGIN { printf \"%.2f\", $stripped / 1048576 }") MB), $compressed compressed"

printf 'frames 1\nquit\n' >"$work/one-frame.sim"
for run in $(seq "$runs"); do
  start=$(date +%s%N)
  (cd "$work" && TRIMUI_DEVICE="smart pro" ZENTOMI_SDCARD="$work/sdcard" \
    PATH="$root/tools/demo-site/bin:$PATH" qemu-aarch64-static "$build/tools/sim/zentomi-sim" \
    --script one-frame.sim --out "$work/shots" 2>/dev/null)
  end=$(date +%s%N)
  echo $(((end - start) / 1000))
done | sort -n | awk -v runs="$runs" '
  { times[NR] = $1 }
  END {
    printf "start-up to first frame under qemu (%d runs): min %.1f ms, median %.1f ms, max %.1f ms\n",
      runs, times[1] / 1000, times[int((NR + 1) / 2)] / 1000, times[NR] / 1000
  }'
