#!/usr/bin/env bash
# Time from the request to enter the game to the game window shown, and a full
# layout with repaint of the game window at 1920 x 1040, under Wine with the real
# browser view. Prints the figures of bench_game and their ratios to the targets.
#   bench/game.sh [BUILD_DIR] [RUNS]     default build/win64, 20 runs
# The prefix leaves the program's windows unmanaged: without a window manager
# (Xvfb) Wine would wait a second for one at every show and hide.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
runs=${2:-20}
cmake --build "$build" --target bench_game >/dev/null
exe=$(find "$build" -name bench_game.exe | head -n1)
. "$root/cmake/wine-env"
prefix=$(mktemp -d /tmp/gantry-bench-game.XXXXXX)
trap '"$root/cmake/wine-fixture" cleanup "$prefix/p" win64; rm -rf "$prefix"' EXIT
"$root/cmake/wine-fixture" setup "$prefix/p" win64 >/dev/null
export GANTRY_WINE_PREFIX=$prefix/p WINEPREFIX=$prefix/p
DISPLAY=$(cat "$prefix/p.display") "$GANTRY_WINE" reg add \
    'HKCU\Software\Wine\AppDefaults\bench_game.exe\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$root/cmake/wine-test" "$exe" "$runs" 2>&1 | grep -v "Wine Gecko"
