#!/usr/bin/env bash
# exifinfo -r over a folder of COUNT (10,000) mixed files — the camera
# JPEGs and TIFFs, the phones' HEIF files and the PNG, WebP and PSD test
# files, copied round-robin — in one process, next to reading the first
# 64 KiB of every file (head -c, one process) and exiv2 -pa over the same
# files.
# Hot cache: each command runs once to warm up, then the best of RUNS.
# Usage: bench/folder-bench.sh [BUILD_DIR]   (default build/native)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build/native}
runs=${RUNS:-5}
count=${COUNT:-10000}

scripts/ensure-packages.sh exiv2 bc time
# A tree configured already keeps its own build type (build/bench: Release).
if [ -f "$build/CMakeCache.txt" ]; then
    cmake --build "$build" -j"$(nproc)" --target exifinfo >/dev/null
else
    scripts/build-native.sh "$build" --target exifinfo >/dev/null
fi
exifinfo=$(realpath "$build/exifinfo")

folder=$(mktemp -d /tmp/exifinfo-bench.XXXXXX)
trap 'rm -rf "$folder"' EXIT
mapfile -t samples < <(find "$root/tests/data/samples" "$root/tests/data/samples-modern" "$root/tests/data/containers" \
    -maxdepth 1 -type f ! -name '*.txt' | sort)
for ((i = 0; i < count; ++i)); do
    sample=${samples[i % ${#samples[@]}]}
    cp "$sample" "$folder/$(printf '%04d' "$i")-$(basename "$sample")"
done

# Best wall-clock time in seconds of a command, output discarded.
best_time() {
    local best="" t start end
    "$@" >/dev/null 2>&1 || true
    for ((r = 0; r < runs; ++r)); do
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1 || true
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc -l)
        if [ -z "$best" ] || (($(echo "$t < $best" | bc -l))); then best=$t; fi
    done
    printf '%.3f' "$best"
}

cd "$folder"
t_exifinfo=$(best_time "$exifinfo" -r .)
t_head=$(best_time sh -c 'head -q -c 65536 -- * > /dev/null')
t_exiv2=$(best_time sh -c 'exiv2 -pa -- * > /dev/null')

t_json=$(best_time "$exifinfo" --json -r .)
t_numeric=$(best_time "$exifinfo" -j -n -r .)
t_csv=$(best_time "$exifinfo" --csv -r .)
# Peak resident memory in KiB of one run.
peak_kib() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; }

echo "files:                       $count ($(du -sh . | cut -f1))"
echo "exifinfo -r .                ${t_exifinfo} s"
echo "head -c 65536 (first 64 KiB) ${t_head} s"
echo "exiv2 -pa                    ${t_exiv2} s"
echo "exifinfo / head:             $(echo "scale=2; $t_exifinfo / $t_head" | bc -l)"
echo "exiv2 / exifinfo:            $(echo "scale=2; $t_exiv2 / $t_exifinfo" | bc -l)"
echo "--json / text:               $(echo "scale=2; $t_json / $t_exifinfo" | bc -l)"
echo "-j -n / text:                $(echo "scale=2; $t_numeric / $t_exifinfo" | bc -l)"
echo "--csv / text:                $(echo "scale=2; $t_csv / $t_exifinfo" | bc -l)"
echo "peak RSS text / --csv:       $(peak_kib "$exifinfo" -r .) KiB / $(peak_kib "$exifinfo" --csv -r .) KiB"
