# Sourced by the benchmarks: a throw-away Wine prefix, booted with its services
# and its server kept up between runs, with its own Xvfb when there is no display.
# It goes when the script exits, with the process named by $server if one is set.
# Sets $tmp.
. "$root/cmake/wine-env"
tmp=$(mktemp -d /tmp/gantry-bench.XXXXXX)
# Every step may fail (a server that already ended) without skipping the next one,
# also in scripts that run with "set -e".
cleanup() {
    if [ -n "${server:-}" ]; then kill "$server" 2>/dev/null || true; fi
    "$GANTRY_WINESERVER" -k >/dev/null 2>&1 || true
    if [ -f "$tmp/xvfb.pid" ]; then kill "$(cat "$tmp/xvfb.pid")" 2>/dev/null || true; fi
    rm -rf "$tmp"
}
trap cleanup EXIT
export WINEPREFIX=$tmp/prefix
if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 5 -screen 0 1600x1000x24 -nolisten tcp 5>"$tmp/display" >/dev/null 2>&1 &
    echo $! >"$tmp/xvfb.pid"
    for _ in $(seq 1 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n1 "$tmp/display")"
fi
gantry_wine_ready
