#!/usr/bin/env bash
# Benchmark of the skin under Wine: decoding the artwork and repainting a form.
#   bench/ui_bench.sh [BUILD_DIR]   (a configured win64 or win32 build; default build/win64)
# Builds the one small program ui_bench there and prints its figures.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
cmake --build "$build" --target ui_bench >/dev/null
exe=$(find "$build" -name ui_bench.exe | head -n1)
"$root/cmake/wine-test" "$exe"
