#!/bin/sh
# Builds zentomi-sim and walks it through the bundled demo site on both screen sizes, then draws
# the text specimen. Screenshots go to the folder given as the first argument (default: out/demo).
# The demo site's fake curl (tools/demo-site/bin/curl) comes first on PATH, so the simulator reads
# the site from tools/demo-site/site/ and never the network.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/out/demo}
cd "$root"
cmake --preset dev >/dev/null
cmake --build --preset dev --target zentomi-sim zentomi-text-specimen
sim="$root/build/dev/tools/sim/zentomi-sim"
script="$root/tools/demo-site/walkthrough.sim"
rm -rf "$out"
for model in smartpro brick; do
  mkdir -p "$out/$model"
  echo "== zentomi-sim on the demo site, model $model"
  (cd "$out/$model" && PATH="$root/tools/demo-site/bin:$PATH" TRIMUI_DEVICE=$model \
    "$sim" --script "$script" --out "$out/$model")
done
"$root/build/dev/tools/specimen/zentomi-text-specimen" "$out/text-specimen.png"
echo "Screenshots written to $out/smartpro and $out/brick; the font at $out/text-specimen.png"
