#!/usr/bin/env bash
# Installs what is missing, builds Rosterly (the program, its control library and
# sievan-pipe: everything `cmake --install build` installs), and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Rosterly is built (build/bin/Rosterly) but there is no display to show its window on." >&2
    echo "Run it from a desktop session, or under a virtual display: xvfb-run build/bin/Rosterly" >&2
    exit 1
fi
exec build/bin/Rosterly
