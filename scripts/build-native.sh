#!/usr/bin/env bash
# Configures and builds the native (Linux) tree: the reader, exifinfo, tests.
# Usage: scripts/build-native.sh BUILD_DIR [--target NAME] [extra cmake args...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1; shift
target=()
if [ "${1:-}" = "--target" ]; then target=(--target "$2"); shift 2; fi
scripts/ensure-packages.sh cmake g++ make libgtest-dev libbenchmark-dev python3 zlib1g-dev libexpat1-dev libimage-exiftool-perl
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DEXIFVIEW_WERROR=ON "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)" "${target[@]}"
