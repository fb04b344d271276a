#!/usr/bin/env bash
# Download throughput of CHttpDownloader against a bare WinINet loop with the same
# 10,240-byte buffer and request flags, in the same Wine, for a 200 MiB file from a
# local server under a fresh name for every download (so no cache can answer),
# first over http, then over https (a server certificate made for the run by
# tools/platform-sim/make-test-certs, its authority trusted in the prefix).
# Prints both rates and their ratio for each (target: at least 0.95), the bare
# loop with WinINet's cache on, and curl's rate for the same file as a reference.
#   bench/http_throughput.sh [BUILD_DIR] [RUNS]     default build/win64, 5 runs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win64}
runs=${2:-5}
cmake --build "$build" --target bench_http >/dev/null
. "$root/bench/wine_prefix.sh"

# Served and saved in memory when /dev/shm exists, so the disk's write-back does
# not decide which run is slower.
mem=$tmp
[ -d /dev/shm ] && mem=$(mktemp -d /dev/shm/gantry-bench-http.XXXXXX)
trap 'cleanup; [ "$mem" != "$tmp" ] && rm -rf "$mem"' EXIT
mkdir -p "$mem/www" "$mem/out"
head -c $((200 * 1024 * 1024)) /dev/urandom >"$mem/www/big.bin"
for i in $(seq 1 "$runs"); do
    for k in d b c; do ln "$mem/www/big.bin" "$mem/www/big-$i-$k.bin"; done
done
serve() { # PORT_FILE [CERT KEY]: starts a server, sets $server and $port
    python3 "$root/bench/http_serve.py" "$mem/www" "${@:2}" >"$1" &
    server=$!
    for _ in $(seq 1 50); do [ -s "$1" ] && break; sleep 0.1; done
    port=$(head -n1 "$1")
}
serve "$tmp/port"
url=http://127.0.0.1:$port/big.bin
"$GANTRY_WINE" "$build/bench/http/bench_http.exe" throughput "http://127.0.0.1:$port/" "Z:${mem//\//\\}\\out" "$runs"
plain=$server

"$root/tools/platform-sim/make-test-certs" "$tmp/certs"
serve "$tmp/tls-port" "$tmp/certs/server.pem" "$tmp/certs/server.key"
echo
"$GANTRY_WINE" "$build/bench/http/bench_http.exe" throughput "https://127.0.0.1:$port/" "Z:${mem//\//\\}\\out" \
    "$runs" "Z:${tmp//\//\\}\\certs\\ca.der"
kill "$server" 2>/dev/null || true
server=$plain
echo

python3 - "$url" "$mem/out/curl.bin" <<'PY'
import subprocess, sys, time
url, out = sys.argv[1], sys.argv[2]
best = None
for _ in range(3):
    t = time.perf_counter()
    subprocess.run(["curl", "-s", "-o", out, url], check=True)
    d = time.perf_counter() - t
    best = d if best is None else min(best, d)
size = 200 * 1024 * 1024 / 1e6
print(f"curl (reference) : best of 3 {best:.2f} s = {size / best:.1f} MB/s")
PY
