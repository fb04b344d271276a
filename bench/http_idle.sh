#!/usr/bin/env bash
# CPU time that the downloader's two worker threads use while idle (started, no
# task) over 60 seconds under Wine. Target: under 50 ms in total, i.e. no busy
# waiting (an idle worker only wakes every 10 s).
#   bench/http_idle.sh [BUILD_DIR] [SECONDS]     default build/win64, 60 s
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
seconds=${2:-60}
cmake --build "$build" --target bench_http >/dev/null
. "$root/bench/wine_prefix.sh"
"$GANTRY_WINE" "$build/bench/http/bench_http.exe" idle "$seconds"
