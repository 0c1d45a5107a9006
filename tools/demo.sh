#!/bin/sh
# Builds zentomi-sim and walks it through the bundled demo site on both screen sizes, then draws
# the text specimen. Screenshots go to the folder given as the first argument (default: out/demo).
# The demo site's fake curl (tools/demo-site/bin/curl) comes first on PATH, so the simulator reads
# the site from tools/demo-site/site/ and never the network; ZENTOMI_SDCARD keeps its history,
# favourites and cover cache in the output folder instead of /mnt/SDCARD.
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
  run="$out/$model"
  sdcard="$run/sdcard"
  mkdir -p "$sdcard"
  echo "== zentomi-sim on the demo site, model $model"
  (cd "$run" && PATH="$site/bin:$PATH" TRIMUI_DEVICE=$model ZENTOMI_SDCARD="$sdcard" \
    "$sim" --script "$site/walkthrough.sim" --out "$run")
  # Three favourites, as the detail screen's Y would have stored them.
  mkdir -p "$sdcard/Apps/zentomi/data"
  sed "s|@ORIGIN@|$origin|g" "$site/favorites.template.json" >"$sdcard/Apps/zentomi/data/favorites.json"
  (cd "$run" && PATH="$site/bin:$PATH" TRIMUI_DEVICE=$model ZENTOMI_SDCARD="$sdcard" \
    "$sim" --script "$site/favourites.sim" --out "$run")
  # The detail screen and the reader, from a fresh SD card.
  reader_sdcard="$run/reader-sdcard"
  mkdir -p "$reader_sdcard"
  (cd "$run" && PATH="$site/bin:$PATH" TRIMUI_DEVICE=$model ZENTOMI_SDCARD="$reader_sdcard" \
    "$sim" --script "$site/reader.sim" --out "$run")
done
"$root/build/dev/tools/specimen/zentomi-text-specimen" "$out/text-specimen.png"
echo "Screenshots written to $out/smartpro and $out/brick; the font at $out/text-specimen.png"
