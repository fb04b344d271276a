#!/usr/bin/env bash
# Start-up and exit times of the launcher against a minimal window program (one
# window, nothing else: bench/startup/minimal_window.cpp), in the same Wine prefix:
# - whole-process time of the launcher's "/ShowDeskTop" mode (start, settings,
#   hidden window, message loop, exit) against the minimal program that exits at
#   once (target: at most 1.3);
# - what the player feels, timed inside the prefix by bench_window_timer: from
#   starting the program to its window on screen (the launcher's login window,
#   placed once its page has answered; target: at most 1.5 times the minimal
#   program's), and from WM_CLOSE to every window of the process to its end
#   (target: within 300 ms of the minimal program's);
# - the login window against a minimal browser host (bench/startup/minimal_browser.cpp:
#   the WebBrowser control in a window, opening the same page and shown at its first
#   result, as the login window is), timed alike (target: at most 1.2).
# A hidden window of the minimal program stays open throughout, so the desktop is
# up as in a user's session. When the build's six hosts are loopback ports, the platform simulator serves
# them, so the launcher's page is really fetched.
#   bench/startup.sh [BUILD_DIR] [RUNS]     default build/win64, 15 runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
runs=${2:-15}
. "$root/cmake/wine-env"
cmake --build "$build" --target OrvoGantry bench_minimal_window bench_minimal_browser bench_window_timer >/dev/null

hosts=()
for name in PLATFORM_WEB_HOST PLATFORM_LOGIN_HOST PLATFORM_GAME_HOST UPDATE_HOST BEACON_HOST UNION_STATS_HOST; do
    hosts+=("$(sed -n "s/^$name:STRING=//p" "$build/CMakeCache.txt")")
done

. "$root/bench/wine_prefix.sh"

if printf '%s\n' "${hosts[@]}" | grep -qvE '^127\.0\.0\.1:[0-9]+$'; then
    echo "hosts are not loopback ports: the launcher's page is not served"
else
    ports=""
    i=0
    for host in web login game update beacon union; do
        ports+="${ports:+,}$host=${hosts[$i]#127.0.0.1:}"
        i=$((i + 1))
    done
    python3 "$root/tools/platform-sim/platform_sim.py" --ports "$ports" >"$tmp/sim.out" 2>/dev/null &
    server=$!
    for _ in $(seq 1 50); do [ -s "$tmp/sim.out" ] && break; sleep 0.1; done
    [ -s "$tmp/sim.out" ] || echo "the simulator did not start (ports $ports in use?)"
fi

launcher=$build/app/OrvoGantry.exe
minimal=$build/bench/startup/bench_minimal_window.exe
browser=$build/bench/startup/bench_minimal_browser.exe
timer=$build/bench/startup/bench_window_timer.exe
"$GANTRY_WINE" "$launcher" /ShowDeskTop # first run creates the settings
"$GANTRY_WINE" "$minimal"
# A hidden window kept open for the whole run keeps the prefix's desktop process up,
# as a user's session has it; otherwise every run would pay for starting it.
# (The prefix's cleanup ends it.)
"$GANTRY_WINE" "$minimal" /hold >/dev/null 2>&1 &

python3 - "$runs" "$GANTRY_WINE" "$launcher" "$minimal" "$timer" "$browser" <<'PY'
import re, statistics, subprocess, sys, time
runs, wine, launcher, minimal, timer, browser = int(sys.argv[1]), *sys.argv[2:7]
def timed(cmd):
    t = time.perf_counter()
    rc = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
    return time.perf_counter() - t, rc
def window(args):
    out = subprocess.run([wine, timer, "--close", "all"] + args, capture_output=True, text=True).stdout
    m = re.search(r"shown_ms=([-\d.]+) exit_ms=([-\d.]+)", out)
    if not m or float(m.group(2)) < 0:
        print("no figures from", args[-1], out.strip())
        return None
    return float(m.group(1)), float(m.group(2))
def line(name, values, unit="ms"):
    print(f"{name:34s}: median {statistics.median(values):6.0f} {unit} over {len(values)} runs"
          f" (min {min(values):.0f}, max {max(values):.0f})")

lt, mt = [], []
for _ in range(runs):  # interleaved, so drift affects both alike
    d, rc = timed([wine, launcher, "/ShowDeskTop"]); lt.append(d * 1000)
    if rc != 0: print("launcher exited with", rc)
    d, _ = timed([wine, minimal]); mt.append(d * 1000)
line("launcher /ShowDeskTop", lt)
line("minimal window", mt)
print(f"{'ratio':34s}: {statistics.median(lt) / statistics.median(mt):.2f} (target <= 1.30)")

ls, le, ms, me, bs = [], [], [], [], []
for _ in range(runs):
    l = window(["--owned", "OrvoGantry", launcher])
    m = window(["BenchMinimalWindow", minimal, "/stay"])
    b = window(["BenchMinimalBrowser", browser])
    if l: ls.append(l[0]); le.append(l[1])
    if m: ms.append(m[0]); me.append(m[1])
    if b: bs.append(b[0])
if ls and ms:
    line("launcher: start to login window", ls)
    line("minimal: start to its window", ms)
    print(f"{'ratio':34s}: {statistics.median(ls) / statistics.median(ms):.2f} (target <= 1.50)")
    line("launcher: WM_CLOSE to exit", le)
    line("minimal: WM_CLOSE to exit", me)
    print(f"{'difference':34s}: {statistics.median(le) - statistics.median(me):.0f} ms (target <= 300)")
if ls and bs:
    line("minimal browser: start to window", bs)
    print(f"login window vs minimal browser host: {statistics.median(ls) / statistics.median(bs):.2f}")
PY
