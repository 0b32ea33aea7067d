#!/usr/bin/env bash
# Installs what the Windows build and its Wine stage need besides the
# project's usual packages: the MinGW-w64 cross compilers (64- and 32-bit), Wine, and widl
# (Wine's IDL compiler).
set -euo pipefail
exec "$(dirname "$0")/../scripts/install-deps.sh" \
    g++-mingw-w64-x86-64-win32 g++-mingw-w64-i686-win32 wine wine64 wine64-tools
