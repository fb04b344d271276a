#!/usr/bin/env bash
# Start-up time of the launcher: whole-process time of its "/ShowDeskTop" mode
# (start, settings, hidden window, message loop, exit) against a plain Win32
# program that creates one window and exits, in the same Wine prefix. Prints the
# medians and their ratio (target: at most 1.3).
#   bench/startup.sh [BUILD_DIR] [RUNS]     default build/win64, 15 runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
runs=${2:-15}
. "$root/cmake/wine-env"
cmake --build "$build" --target OrvoGantry bench_minimal_window >/dev/null

. "$root/bench/wine_prefix.sh"

launcher=$build/app/OrvoGantry.exe
minimal=$build/bench/startup/bench_minimal_window.exe
"$GANTRY_WINE" "$launcher" /ShowDeskTop # first run creates the settings
"$GANTRY_WINE" "$minimal"

python3 - "$runs" "$GANTRY_WINE" "$launcher" "$minimal" <<'PY'
import statistics, subprocess, sys, time
runs, wine, launcher, minimal = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
def timed(cmd):
    t = time.perf_counter()
    rc = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    return time.perf_counter() - t, rc
lt, mt = [], []
for _ in range(runs):  # interleaved, so drift affects both alike
    d, rc = timed([wine, launcher, "/ShowDeskTop"]); lt.append(d)
    if rc != 0: print("launcher exited with", rc)
    d, _ = timed([wine, minimal]); mt.append(d)
lm, mm = statistics.median(lt), statistics.median(mt)
print(f"launcher /ShowDeskTop: median {lm*1000:.0f} ms over {runs} runs (min {min(lt)*1000:.0f}, max {max(lt)*1000:.0f})")
print(f"minimal window       : median {mm*1000:.0f} ms over {runs} runs (min {min(mt)*1000:.0f}, max {max(mt)*1000:.0f})")
print(f"ratio                : {lm/mm:.2f} (target <= 1.30)")
PY
