#!/bin/sh
# Runs clang-tidy (version 19, which understands C++23) over the product and tool sources.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset dev >/dev/null
files=$(git ls-files 'src/*.cpp' 'tools/*.cpp')
run-clang-tidy-19 -quiet -p build/dev -j 2 $files
