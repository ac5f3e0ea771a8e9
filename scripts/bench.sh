#!/usr/bin/env bash
# Speed of the reader against libexif and exiv2, interleaved in one run, and
# instruction counts (callgrind) of one pass over the corpus in process and of
# a whole exifinfo run over it, with exifinfo's peak memory.
# Usage: scripts/bench.sh [CORPUS_DIR...]   (default: tests/data/samples)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/ensure-packages.sh cmake g++ make pkg-config libbenchmark-dev libexif-dev libexiv2-dev libexpat1-dev valgrind time
dir=build/bench
scripts/build-native.sh "$dir" -DCMAKE_BUILD_TYPE=Release -DEXIFVIEW_BENCH=ON -DEXIFVIEW_TESTS=OFF
corpus=("$@")
[ ${#corpus[@]} -eq 0 ] && corpus=(tests/data/samples)
EXIFVIEW_CORPUS=$(IFS=:; echo "${corpus[*]}")
export EXIFVIEW_CORPUS
bench=$dir/bench/reader-bench

echo "== interleaved comparison (CPU time; corpus/* is one pass over the corpus)"
"$bench" --benchmark_enable_random_interleaving=true --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.2

count() {  # instructions of one OnePass call
    valgrind --tool=callgrind --callgrind-out-file=/dev/null --collect-atstart=no \
        --toggle-collect='*OnePass*' "$@" 2>&1 | sed -n 's/.*Collected : \([0-9]*\).*/\1/p'
}
echo "== instructions of one pass in process (callgrind)"
for peer in exifview libexif exiv2; do
    printf '%-9s corpus %12s' "$peer" "$(count "$bench" --pass "$peer")"
    printf '   corpus + hostile files %12s\n' "$(EXIFVIEW_PASS_HOSTILE=1 count "$bench" --pass "$peer")"
done

mapfile -t files < <(for d in "${corpus[@]}"; do
    find "$d" -maxdepth 1 -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.jpe' -o -iname '*.tif' \
        -o -iname '*.tiff' -o -iname '*.nef' \) | sort
done)
echo "== whole exifinfo run over ${#files[@]} files, printing included (callgrind)"
# (exifinfo's status is 3 when a file holds no metadata: not a failure here.)
{ valgrind --tool=callgrind --callgrind-out-file=/dev/null "$dir/exifinfo" --size 640x480 "${files[@]}" 2>&1 >/dev/null ||
    true; } | sed -n 's/.*Collected : \([0-9]*\).*/instructions \1/p'
{ /usr/bin/time -f 'peak RSS of exifinfo: %M KiB' "$dir/exifinfo" --size 640x480 "${files[@]}" 2>&1 >/dev/null || true; } | tail -1

echo "== bytes of 50 MB files the reader reads"
"$bench" --bytes-read tests/data/samples-modern/IMG_5195.HEIC

echo "== every hostile file in every output mode: exifinfo's CPU seconds and peak RSS (the worst of the modes)"
for f in "${TMPDIR:-/tmp}"/exifview-bench-hostile/*; do
    worst_cpu=0; worst_rss=0
    for mode in "" --json "--json -n -G" --csv --listing "--export $dir/hostile-export.txt"; do
        # shellcheck disable=SC2086
        read -r cpu rss < <(/usr/bin/time -f '%U %S %M' "$dir/exifinfo" $mode "$f" 2>&1 >/dev/null |
            tail -1 | awk '{ print $1 + $2, $3 }')
        worst_cpu=$(awk -v a="$worst_cpu" -v b="$cpu" 'BEGIN { print (b > a ? b : a) }')
        worst_rss=$(( rss > worst_rss ? rss : worst_rss ))
    done
    printf '%-24s %6.2f s %8d KiB\n' "$(basename "$f")" "$worst_cpu" "$worst_rss"
done

echo "== files that claim more than they hold, standard input, the allocator's size classes"
bench/hostile-claims.sh "$dir/exifinfo"
