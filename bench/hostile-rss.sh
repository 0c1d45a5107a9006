#!/bin/sh
# Peak memory of the simulator under the hostile uses that once exhausted the console's 1 GB:
#   turns    400 page turns handled in one frame, back and forth over a chapter of 720 x 6000
#            and taller strips (Chapter 301 of the demo site's third title);
#   openings a title opened and left ten times in quick succession;
#   tiny     ten turns over pages of a few hundred bytes that declare 16384 x 2441 pixels;
#   searches the same search made 60 times over, its results page 5,000 titles of 2 KB names
#            (about 15 MB of page, of which the first 500 titles are kept).
# Run after `cmake --build --preset release --target zentomi-sim`; an optional first argument
# names another zentomi-sim to measure. Prints /usr/bin/time's "Maximum resident set size".
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
sim=${1:-$root/build/release/tools/sim/zentomi-sim}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The demo site, with the pages of the third title's Chapter 302 replaced by tiny files that
# declare huge images, and the first title's chapter list made 200,000 chapters long.
cp -R "$root/tools/demo-site/site" "$work/site"
python3 - "$work/site" <<'PY'
import os, struct, sys, zlib
site = sys.argv[1]
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", 16384, 2441, 8, 6, 0, 0, 0)) \
    + chunk(b"IDAT", zlib.compress(b"\0" * 64)) + chunk(b"IEND", b"")
folder = os.path.join(site, "pages", "hanh-trinh-vo-tan", "302")
if os.path.isdir(folder):
    for name in os.listdir(folder):
        with open(os.path.join(folder, name), "wb") as out:
            out.write(png)
service = os.path.join(site, "Comic", "Services", "ComicService.asmx",
                       "ChapterList?slug=kiem-khach-mua-thu")
with open(service, "w") as out:
    out.write('{"data":[' + ",".join(
        '{"chapter_name":"Chapter %d","chapter_num":%d}' % (n, n) for n in range(200000, 0, -1))
        + "]}")
search = os.path.join(site, "tim-truyen?keyword=zz")
item = ('<div class="item"><figure class="clearfix"><div class="image">'
        '<a title="T" href="/truyen-tranh/tim-%d"><img src="/covers/nguoi-gac-den.jpg" /></a>'
        '<div class="view clearfix"><span class="pull-left"><i class="fa fa-eye"></i> 1.%03d</span>'
        '</div></div><figcaption><h3><a href="/truyen-tranh/tim-%d">%s %d</a></h3>'
        '<ul class="comic-item"><li class="chapter clearfix"><a href="/truyen-tranh/tim-%d/chuong-1">'
        'Chapter 1</a></li></ul></figcaption></figure></div>\n')
with open(search, "w") as out:
    out.write('<html><body><div class="items"><div class="row">\n')
    for n in range(5000):
        out.write(item % (n, n % 1000, n, "Truyện tìm thấy " * 120, n, n))
    out.write('</div></div></body></html>\n')
PY

# Prints its text N times: the repeated part of a script.
repeat() {
  n=0
  while [ "$n" -lt "$1" ]; do
    printf '%b' "$2"
    n=$((n + 1))
  done
}

{
  printf 'settle\npress RIGHT\npress RIGHT\npress A\nsettle\npress DOWN\npress A\nsettle\n'
  i=0
  while [ $i -lt 400 ]; do
    if [ $((i / 4 % 2)) -eq 0 ]; then printf 'press RIGHT\n'; else printf 'press LEFT\n'; fi
    i=$((i + 1))
  done
  printf 'settle 60000\nquit\n'
} >"$work/turns.sim"
{
  printf 'settle\n'
  repeat 10 'press A\nframes 2\npress B\nframes 2\n'
  printf 'settle 60000\nquit\n'
} >"$work/openings.sim"
{
  printf 'settle\npress RIGHT\npress RIGHT\npress A\nsettle\npress A\nsettle\n'
  repeat 10 'press RIGHT\nframes 3\n'
  printf 'settle 60000\nquit\n'
} >"$work/tiny.sim"

{
  # The keyboard (its cursor starts on "1"), "zz" typed, then the search repeated:
  # R2 opens the keyboard with the query kept and START searches again.
  printf 'settle\npress R2\npress DOWN\npress DOWN\npress DOWN\n'
  printf 'press A\npress A\npress START\nsettle 60000\n'
  repeat 59 'press R2\npress START\nframes 2\n'
  printf 'settle 60000\nshot searched\nquit\n'
} >"$work/searches.sim"

for scenario in turns openings tiny searches; do
  mkdir -p "$work/$scenario"
  printf '%s: ' "$scenario"
  (cd "$work" && PATH="$root/tools/demo-site/bin:$PATH" ZENTOMI_FAKE_CURL_ROOT="$work/site" \
    TRIMUI_DEVICE=smartpro ZENTOMI_SDCARD="$work/$scenario" \
    /usr/bin/time -v "$sim" --script "$scenario.sim" --out "$work/$scenario" \
    2>&1 >/dev/null | grep -E 'Maximum resident set size')
done
