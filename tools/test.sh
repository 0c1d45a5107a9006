#!/bin/sh
# Builds and runs the whole test suite for each preset named (default: dev).
set -eu
cd "$(dirname "$0")/.."
[ $# -gt 0 ] || set -- dev
for preset in "$@"; do
  echo "== $preset: configure, build, test"
  cmake --preset "$preset"
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
