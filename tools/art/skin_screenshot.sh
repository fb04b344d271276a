#!/usr/bin/env bash
# Runs the skin demo under Wine on a display of its own and saves a screenshot.
#   tools/art/skin_screenshot.sh SKIN_DEMO_EXE OUTPUT_PNG
# Needs Xvfb, xwd and ImageMagick's convert (scripts/setup installs them).
set -u
exe=$1 out=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
convert=/usr/bin/convert
[ -x "$convert" ] || convert=convert

tmp=$(mktemp -d /tmp/gantry-shot.XXXXXX)
cleanup() {
    [ -n "${demo:-}" ] && kill "$demo" 2>/dev/null
    [ -n "${compositor:-}" ] && kill "$compositor" 2>/dev/null
    [ -n "${prefix_made:-}" ] && "$root/cmake/wine-fixture" cleanup "$tmp/prefix" win64
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 5 -screen 0 1600x1000x24 -nolisten tcp 5>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
done
[ -s "$tmp/display" ] || { echo "skin_screenshot: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$tmp/display")"

# Without a compositing manager X shows the transparent pixels of Wine's layered
# windows black: the colour-keyed login window would hide the artwork below it.
if command -v xcompmgr >/dev/null; then
    xcompmgr >/dev/null 2>&1 &
    compositor=$!
    sleep 0.5
else
    echo "skin_screenshot: no xcompmgr (Debian package xcompmgr): see-through pixels will show black" >&2
fi

# A prefix of our own, in which the default face of labels ("宋体") has a CJK font.
"$root/cmake/wine-fixture" setup "$tmp/prefix" win64 >/dev/null || exit 1
prefix_made=1
GANTRY_WINE_PREFIX=$tmp/prefix "$root/cmake/wine-test" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
    /v '宋体' /d 'Noto Sans CJK SC' /f >/dev/null 2>&1
GANTRY_WINE_PREFIX=$tmp/prefix "$root/cmake/wine-test" "$exe" "Z:$tmp/ready" 40 compose >/dev/null 2>&1 &
demo=$!
for _ in $(seq 1 600); do
    [ -s "$tmp/ready" ] && break
    kill -0 "$demo" 2>/dev/null || break
    sleep 0.1
done
[ -s "$tmp/ready" ] || { echo "skin_screenshot: the demo did not get ready" >&2; exit 1; }
sleep 1.5
mkdir -p "$(dirname "$out")"
xwd -root -silent | "$convert" xwd:- "$out" || exit 1
echo "screenshot: $out"
