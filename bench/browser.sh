#!/usr/bin/env bash
# Create/destroy time of a browser view with the real WebBrowser control under
# Wine, and what the cycles leave behind. Prints the figures of bench_browser_view.
#   bench/browser.sh [BUILD_DIR] [CYCLES]     default build/win64, 20 cycles
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
cycles=${2:-20}
cmake --build "$build" --target bench_browser_view >/dev/null
"$root/cmake/wine-test" "$build/bench/browser/bench_browser_view.exe" "$cycles" 2>&1 | grep -v "Wine Gecko"
