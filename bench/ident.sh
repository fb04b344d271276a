#!/usr/bin/env bash
# Time of loading the install record (LoadInstallRecord: settings, all 30
# net-cafe rows with their 11 process snapshots, processor, disk and adapter
# facts and both MD5 ids) on a machine without any net-cafe product, measured
# inside fresh launcher-module processes in a throw-away Wine prefix. Prints the
# median, the spread and a breakdown, and the ratio to the 100 ms target.
#   bench/ident.sh [BUILD_DIR] [RUNS]     default build/win64, 15 runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
runs=${2:-15}
. "$root/cmake/wine-env"
cmake --build "$build" --target bench_ident_load >/dev/null

. "$root/bench/wine_prefix.sh"

exe=$build/bench/ident/bench_ident_load.exe
"$GANTRY_WINE" "$exe" record >/dev/null # first run creates the settings file

python3 - "$runs" "$GANTRY_WINE" "$exe" <<'PY'
import statistics, subprocess, sys
runs, wine, exe = int(sys.argv[1]), sys.argv[2], sys.argv[3]
def run(mode):
    out = subprocess.run([wine, exe, mode], capture_output=True, text=True, check=True).stdout
    return dict(line.split("=", 1) for line in out.split())
loads, parts = [], {}
for _ in range(runs):
    r = run("record")
    if r["netcafe"] != "0":
        sys.exit("a net-cafe product was found in the throw-away prefix: not the case measured")
    loads.append(float(r["load"]))
    for k, v in run("parts").items():
        if k != "netcafe_code":
            parts.setdefault(k, []).append(float(v))
med = statistics.median(loads)
print("LoadInstallRecord over %d fresh processes (ms): median %.1f  min %.1f  max %.1f" % (runs, med, min(loads), max(loads)))
for k in ("netcafe_scan", "hardware_id", "mac_id"):
    print("  %-13s median %.1f ms" % (k, statistics.median(parts[k])))
print("target 100 ms: ratio %.2f (%s)" % (med / 100.0, "met" if med < 100 else "NOT met"))
PY
