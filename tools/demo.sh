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
#
#   tools/demo.sh --window [NAME]
# plays the demo site in a desktop window instead (needs a build with SDL2): the walk-through
# NAME.sim, if named, runs first without its quit lines, then the keyboard or a game controller
# takes over. TRIMUI_DEVICE=brick gives the smaller screen. Files go to out/play/.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
window=""
if [ "${1:-}" = "--window" ]; then
  window=${2:-none}
  out=$root/out/play
else
  out=${1:-$root/out/demo}
fi
cd "$root"
cmake --preset dev >/dev/null
cmake --build --preset dev --target zentomi-sim zentomi-text-specimen
sim="$root/build/dev/tools/sim/zentomi-sim"
site="$root/tools/demo-site"
origin=$(sed -n 's/^ZENTOMI_SITE_ORIGIN:STRING=//p' "$root/build/dev/CMakeCache.txt")
rm -rf "$out"

# prepare NAME RUN SDCARD CURL_STATE: empty folders for one run, with the walk-through's stored
# data and one-time failures if it has any.
prepare() {
  mkdir -p "$2" "$3" "$4"
  if [ -d "$site/$1.curl" ]; then
    cp -R "$site/$1.curl/." "$4/"
  fi
  if [ -d "$site/$1.sdcard" ]; then
    (cd "$site/$1.sdcard" && find . -type f) | while read -r file; do
      mkdir -p "$(dirname "$3/$file")"
      sed "s|@ORIGIN@|$origin|g" "$site/$1.sdcard/$file" >"$3/$file"
    done
  fi
}

if [ -n "$window" ]; then
  prepare "$window" "$out/shots" "$out/sdcard" "$out/curl"
  if [ -f "$site/$window.sim" ]; then
    sed '/^[[:space:]]*[Qq][Uu][Ii][Tt]/d' "$site/$window.sim" >"$out/play.sim"
  else
    : >"$out/play.sim"
  fi
  cd "$out"
  PATH="$site/bin:$PATH" ZENTOMI_SDCARD="$out/sdcard" ZENTOMI_FAKE_CURL_STATE="$out/curl" \
    exec "$sim" --script "$out/play.sim" --out "$out/shots" --window
fi

for model in smartpro brick; do
  for script in "$site"/*.sim; do
    name=$(basename "$script" .sim)
    run="$out/$model/$name"
    sdcard="$out/$model/sdcard/$name"
    curl_state="$out/$model/curl/$name"
    prepare "$name" "$run" "$sdcard" "$curl_state"
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
