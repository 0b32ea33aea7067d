#!/usr/bin/env bash
# Installs what the Windows build and its Wine stage need, from Debian's
# archive: the MinGW-w64 cross compiler, Wine, and widl (Wine's IDL
# compiler). Idempotent: quiet and quick when everything is present.
set -euo pipefail

packages=(
    g++-mingw-w64-x86-64-win32
    wine wine64 wine64-tools
    cmake ninja-build
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "windows/install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
fi
echo "windows/install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
