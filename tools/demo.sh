#!/bin/sh
# Builds zentomi-sim and runs every walk-through of the demo site (tools/demo-site/*.sim) on both
# screen sizes, then draws the text specimen. Screenshots go to OUT/MODEL/SCRIPT/ under the folder
# given as the first argument (default: out/demo), laid out like the reference frames in
# tests/golden/sim/. The demo site's fake curl (tools/demo-site/bin/curl) comes first on PATH, so
# the simulator reads the site from tools/demo-site/site/ and never the network; ZENTOMI_SDCARD
# keeps its history, favourites and cover cache in the output folder instead of /mnt/SDCARD.
# Each walk-through starts from an empty SD card, or from the files of SCRIPT.sdcard/ beside the
# script with @ORIGIN@ replaced by the build's site origin (as the golden-frame test does), and
# with the fake curl's one-time failures of SCRIPT.curl/ copied to a folder of its own run.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/out/demo}
cd "$root"
cmake --preset dev >/dev/null
cmake --build --preset dev --target zentomi-sim zentomi-text-specimen
sim="$root/build/dev/tools/sim/zentomi-sim"
site="$root/tools/demo-site"
origin=$(sed -n 's/^ZENTOMI_SITE_ORIGIN:STRING=//p' "$root/build/dev/CMakeCache.txt")
rm -rf "$out"
for model in smartpro brick; do
  for script in "$site"/*.sim; do
    name=$(basename "$script" .sim)
    run="$out/$model/$name"
    sdcard="$out/$model/sdcard/$name"
    curl_state="$out/$model/curl/$name"
    mkdir -p "$run" "$sdcard" "$curl_state"
    if [ -d "$site/$name.curl" ]; then
      cp -R "$site/$name.curl/." "$curl_state/"
    fi
    if [ -d "$site/$name.sdcard" ]; then
      (cd "$site/$name.sdcard" && find . -type f) | while read -r file; do
        mkdir -p "$(dirname "$sdcard/$file")"
        sed "s|@ORIGIN@|$origin|g" "$site/$name.sdcard/$file" >"$sdcard/$file"
      done
    fi
    echo "== zentomi-sim: $name on model $model"
    # A walk-through that ends the program itself says so ("# exit status N"); others end with 0.
    expected=$(sed -n 's/^# exit status \([0-9]*\)$/\1/p' "$script")
    status=0
    (cd "$run" && PATH="$site/bin:$PATH" TRIMUI_DEVICE=$model ZENTOMI_SDCARD="$sdcard" \
      ZENTOMI_FAKE_CURL_STATE="$curl_state" "$sim" --script "$script" --out "$run") || status=$?
    if [ "$status" != "${expected:-0}" ]; then
      echo "zentomi-sim ended with status $status on $name" >&2
      exit 1
    fi
  done
done
"$root/build/dev/tools/specimen/zentomi-text-specimen" "$out/text-specimen.png"
echo "Screenshots written to $out/smartpro/ and $out/brick/; the font at $out/text-specimen.png"
