#!/bin/sh
# The install kill loop at the size of a real worst case: a package of 10,000 files, 40 installs
# each ended by SIGKILL at a random moment of its moves, then the next start. Prints how many app
# folders each kill left mixed and how many the next start left mixed (always 0). Run after
# `cmake --build --preset dev --target zentomi_updater_tests`; an optional first argument gives
# another count of files.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
ZENTOMI_INSTALL_KILL_ENTRIES=${1:-10000} ZENTOMI_SOURCE_DIR=$root \
  ZENTOMI_BINARY_DIR=$root/build/dev \
  exec "$root/build/dev/tests/updater/zentomi_updater_tests" \
  --gtest_filter='InstallKillLoop.*' --gtest_brief=1
