#!/usr/bin/env bash
# exifinfo over the files that claim more than they hold (bench/hostile-claims.py:
# sparse files of gigabytes and a terabyte, zlib bombs, XMP at its limit) in
# every output mode, standard input past its limit, and -r over files that
# each fill another size class of the tool's allocator. Prints, per file,
# the worst CPU seconds (user + system) and peak RSS over the modes.
# Usage: bench/hostile-claims.sh [EXIFINFO]   (default build/bench/exifinfo, Release)
set -euo pipefail
cd "$(dirname "$0")/.."
exifinfo=${1:-build/bench/exifinfo}
scripts/ensure-packages.sh python3 time
folder=$(mktemp -d /tmp/exifinfo-claims.XXXXXX)
trap 'rm -rf "$folder"' EXIT
python3 bench/hostile-claims.py "$folder"

# CPU seconds and peak KiB of one run; its status and output do not matter.
measure() {
    /usr/bin/time -f '%U %S %M' "$@" 2>&1 >/dev/null | tail -1 | awk '{ print $1 + $2, $3 }'
}

worst() {  # FILE_OR_FOLDER [exifinfo options...]
    local target=$1 worst_cpu=0 worst_rss=0 cpu rss
    shift
    for mode in "" --json "--json -n -G" --csv --listing "--export $folder/export.txt"; do
        # shellcheck disable=SC2086
        read -r cpu rss < <(measure "$exifinfo" "$@" $mode "$target")
        worst_cpu=$(awk -v a="$worst_cpu" -v b="$cpu" 'BEGIN { print (b > a ? b : a) }')
        worst_rss=$(( rss > worst_rss ? rss : worst_rss ))
    done
    printf '%-28s %6.2f s %8d KiB\n' "$(basename "$target")" "$worst_cpu" "$worst_rss"
}

echo "== every file in every mode (text, --json, --json -n -G, --csv, --listing, --export): worst CPU, peak RSS"
for f in "$folder"/*; do
    [ -f "$f" ] && worst "$f"
done
echo "== -r over 13 files that each fill another size class, and over 13 copies of the largest (worst of the modes)"
worst "$folder/classes" -r
worst "$folder/same-class" -r
echo "== standard input (CPU, peak RSS)"
printf '%-28s %6s s %8s KiB\n' "1 GiB of zeros" $(head -c 1G /dev/zero | measure "$exifinfo" -)
printf '%-28s %6s s %8s KiB\n' "yes, endless" $(yes | measure "$exifinfo" -)
