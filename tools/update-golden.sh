#!/bin/sh
# Rewrites the reference frames in tests/golden from what the code draws now: every walk-through
# of the demo site on both screen sizes, and the frames the graphics tests compare. Only for a
# reviewed change whose new frames have been looked at (see README, "Reference frames").
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset dev >/dev/null
cmake --build --preset dev --target zentomi_golden_frames_tests zentomi_draw_tests zentomi_screens_tests
# Frames no test takes any more go with the old references.
rm -rf tests/golden
export ZENTOMI_UPDATE_GOLDEN=1
ctest --preset dev -L '^(zentomi_golden_frames_tests|zentomi_draw_tests|zentomi_screens_tests)$'
git status --short tests/golden
echo "References rewritten in tests/golden; review the changed pictures before committing them."
