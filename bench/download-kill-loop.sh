#!/bin/sh
# Kills the download worker at random moments of a download 30 times (or $1 times) and checks
# after each kill that only whole chapters are counted, then that the resumed queue ends with no
# partial or temporary file. Needs a dev build: cmake --build --preset dev.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ZENTOMI_BUILD:-$root/build/dev}
ZENTOMI_DOWNLOAD_KILLS=${1:-30} ZENTOMI_SOURCE_DIR=$root ZENTOMI_BINARY_DIR=$build \
  exec "$build/tests/library/zentomi_downloads_tests" \
  --gtest_filter='DownloadKillLoop.*'
