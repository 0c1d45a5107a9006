#!/bin/sh
# Downloads for offline reading, measured side by side in one run with the simulator and the fake
# curl on a copy of the demo site:
# 1. A page turn in a downloaded chapter against the same pages fetched with every request
#    delayed 200 ms: press to drawn page, as the time of a script turning TURNS pages (each press
#    followed by `settle`, which ends once the page is drawn and nothing is pending) less the
#    same script without the turns, divided by TURNS. Settle polls once a frame (16.7 ms).
# 2. Peak memory (/usr/bin/time's maximum resident set size) of the program at rest on a title's
#    detail screen against the same run that also downloads a chapter of 40 JPEG strips of
#    720 x 6000 (noisy, about 1 MB each) before it quits.
# Run after building zentomi-sim (release preset for figures); the first argument names another.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sim=$(realpath "${1:-$root/build/release/tools/sim/zentomi-sim}")
turns=${TURNS:-10}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
site=$work/site
cp -r "$root/tools/demo-site/site" "$site"
chapters=$site/truyen-tranh/hanh-trinh-vo-tan

# Chapter 302 (the newest, selected when the title opens): TURNS + 1 portrait pages.
page() { # number url
  printf "<div id='page_%s' class='page-chapter'><img data-index='%s' src='%s' /></div>\n" "$1" "$1" "$2"
}
{
  printf "<html><body><div class='reading-detail box_doc'>\n"
  i=0
  while [ $i -le "$turns" ]; do
    page $i "https://i1.zentomi-demo.test/pages/tiem-tra-meo-den/1/02.jpg?$i"
    cp "$site/pages/tiem-tra-meo-den/1/02.jpg" "$site/pages/tiem-tra-meo-den/1/02.jpg?$i"
    i=$((i + 1))
  done
  printf "</div></body></html>\n"
} >"$chapters/chuong-302"

# Chapter 301: 40 strips of 720 x 6000, each its own noisy JPEG.
mkdir -p "$site/pages/strips"
python3 -c '
import random, sys
random.seed(int(sys.argv[1]))
w, h = 720, 6000
row = bytes(random.getrandbits(8) for _ in range(w * 3 * 8))
sys.stdout.buffer.write(b"P6 %d %d 255\n" % (w, h) + b"".join(row[(y * 997) % (len(row) - w * 3):][: w * 3] for y in range(h)))
' 1 | cjpeg -quality 85 >"$site/pages/strips/strip.jpg"
{
  printf "<html><body><div class='reading-detail box_doc'>\n"
  i=0
  while [ $i -lt 40 ]; do
    cp "$site/pages/strips/strip.jpg" "$site/pages/strips/$i.jpg"
    page $i "https://i1.zentomi-demo.test/pages/strips/$i.jpg"
    i=$((i + 1))
  done
  printf "</div></body></html>\n"
} >"$chapters/chuong-301"

export ZENTOMI_FAKE_CURL_ROOT="$site" TRIMUI_DEVICE=smartpro
PATH="$root/tools/demo-site/bin:$PATH"
export PATH
open_title='settle\npress RIGHT\npress RIGHT\npress A\nsettle\n'

# run NAME SDCARD SCRIPT: the script's run time in seconds; the sim's peak RSS in $work/NAME.rss.
run() {
  printf '%b' "$3" >"$work/$1.sim"
  mkdir -p "$work/out-$1"
  start=$(date +%s.%N)
  (cd "$work" && ZENTOMI_SDCARD="$2" /usr/bin/time -f '%M' -o "$work/$1.rss" "$sim" \
    --script "$1.sim" --out "$work/out-$1" >/dev/null 2>&1)
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}

# The card with chapter 302 downloaded.
run setup "$work/downloaded" "${open_title}press SELECT\nsettle 60000\nquit\n" >/dev/null
test -d "$work/downloaded/Apps/zentomi/data/downloads" || { echo "nothing downloaded" >&2; exit 1; }

reading="${open_title}press A\nsettle\n"
turning=$reading
i=0
while [ $i -lt "$turns" ]; do
  turning="${turning}press RIGHT\nsettle\n"
  i=$((i + 1))
done
export ZENTOMI_FAKE_CURL_ACTION="delay 0.2"
for mode in downloaded fetched; do
  for script in reading turning; do
    rm -rf "$work/card"
    if [ $mode = downloaded ]; then cp -r "$work/downloaded" "$work/card"; else mkdir "$work/card"; fi
    eval "body=\$$script"
    eval "${mode}_${script}=\$(run $mode-$script \"\$work/card\" \"\${body}quit\\n\")"
  done
  eval "spent=\$(echo \"(\$${mode}_turning - \$${mode}_reading) * 1000 / $turns\" | bc -l)"
  printf 'page turn, %s chapter (curl delay 200 ms): %.0f ms per turn (%s turns)\n' "$mode" "$spent" "$turns"
done
unset ZENTOMI_FAKE_CURL_ACTION

rm -rf "$work/rest" "$work/download"
run rest "$work/rest" "${open_title}wait 1000\nquit\n" >/dev/null
run download "$work/download" "${open_title}press DOWN\npress SELECT\nsettle 120000\nquit\n" >/dev/null
pages=$(find "$work/download/Apps/zentomi/data/downloads" -name "*.jpg" | wc -l)
printf 'peak RSS at rest: %s KiB\n' "$(cat "$work/rest.rss")"
printf 'peak RSS downloading 40 strips of 720 x 6000 (%s pages on the card): %s KiB\n' \
  "$pages" "$(cat "$work/download.rss")"
printf 'the download adds %s KiB\n' "$(($(cat "$work/download.rss") - $(cat "$work/rest.rss")))"
