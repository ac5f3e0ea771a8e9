#!/usr/bin/env bash
# Cross-builds the 32-bit Windows tree with mingw-w64: the reader, the
# plug-in DLL, the reference host and the Windows tests.
# Usage: scripts/build-windows.sh [BUILD_DIR [extra cmake args...]]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build-win}; [ $# -gt 0 ] && shift
scripts/ensure-packages.sh --i386 cmake make g++-mingw-w64-i686 libz-mingw-w64-dev googletest wine wine32:i386
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=Release -DEXIFVIEW_WERROR=ON \
    -DCMAKE_RUNTIME_OUTPUT_DIRECTORY="$(realpath -m "$dir")/bin" "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
