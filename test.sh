#!/usr/bin/env bash
# Runs every test: native build, sanitizer build, a short run of every fuzz
# target, and the Windows plug-in under wine. Installs what it needs on a
# fresh Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")"

echo "== native build and tests"
scripts/build-native.sh build/native
# exiftool writes some test files as real writers do.
scripts/ensure-packages.sh libimage-exiftool-perl
ctest --test-dir build/native --output-on-failure -j"$(nproc)"

echo "== AddressSanitizer and UndefinedBehaviorSanitizer"
scripts/build-native.sh build/asan -DCMAKE_BUILD_TYPE=Debug -DEXIFVIEW_SANITIZE=ON
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 LSAN_OPTIONS=suppressions="$PWD/scripts/lsan-suppressions.txt" \
    ctest --test-dir build/asan --output-on-failure -j"$(nproc)"

echo "== fuzz targets (libFuzzer smoke run: a fixed number of executions each)"
scripts/fuzz.sh --smoke 2000

if [ -x scripts/test-windows.sh ]; then
    echo "== 32-bit Windows plug-in under wine"
    scripts/test-windows.sh
fi
