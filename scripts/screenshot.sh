#!/bin/sh
# Makes docs/window.png: builds the program if needed, starts it under a
# virtual X server and photographs the window. At another scale (2: as on a
# 192 dpi screen) the picture is docs/window-<scale>x.png.
# Usage: scripts/screenshot.sh [build-dir] [scale]   (defaults: build, 1)
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
scale=${2:-1}
output="$root/docs/window.png"
[ "$scale" = 1 ] || output="$root/docs/window-${scale}x.png"

for tool in xvfb-run import convert; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "screenshot.sh: $tool is missing (apt-get install xvfb xauth imagemagick)" >&2
        exit 1
    fi
done

if [ ! -f "$build/build.ninja" ] && [ ! -f "$build/Makefile" ]; then
    cmake -S "$root" -B "$build" -G Ninja
fi
cmake --build "$build" --target Rosterly Corvell -j2

mkdir -p "$root/docs"
# Inside the virtual display: start the program, wait for its window, take
# the window with its frame-less client area, then end the program.
QT_SCALE_FACTOR=$scale xvfb-run --auto-servernum --server-args="-screen 0 1280x960x24" sh -c '
    "$1" &
    program=$!
    for _ in $(seq 50); do
        window=$(xwininfo -root -tree 2>/dev/null | awk "/\"Rosterly Pro\"/ {print \$1; exit}")
        [ -n "$window" ] && break
        sleep 0.2
    done
    sleep 1
    status=0
    if [ -n "$window" ]; then
        import -window "$window" "$2" || status=1
    else
        echo "screenshot.sh: the window did not appear" >&2
        status=1
    fi
    kill "$program" 2>/dev/null || true
    wait "$program" 2>/dev/null || true
    exit $status
' sh "$build/bin/Rosterly" "$output"
echo "wrote $output"
