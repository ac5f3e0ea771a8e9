#!/usr/bin/env bash
# Coverage-guided fuzzing of the reader with libFuzzer (clang).
#
#   scripts/fuzz.sh --list             the target names, one a line
#   scripts/fuzz.sh TARGET SECONDS     fuzz one target for SECONDS
#   scripts/fuzz.sh --smoke [RUNS]     every target for RUNS executions (CI)
#   scripts/fuzz.sh --long TARGET [N]  the long run: N executions (10000000)
#
# Two builds: build/fuzz-asan (AddressSanitizer + UndefinedBehaviorSanitizer),
# where the fuzzing happens, and build/fuzz-assert (libstdc++ assertions,
# -D_GLIBCXX_ASSERTIONS), which then replays everything the run found.
# Seeds come from the repository (fuzz/corpus/TARGET, the regression files
# in tests/data/crashes/TARGET and, for whole files, tests/data/samples,
# samples-modern and containers as they fit the target) and
# are only read; new inputs go into a working corpus outside the source tree
# (build/fuzz-corpus/TARGET, or $FUZZ_WORK/TARGET). A finding is minimised
# into tests/data/crashes/TARGET, where the normal test run reads it back.
# The last line is "TARGET: N execs, R exec/s, F findings"; the exit status
# is non-zero when there was a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

targets=(jpeg_scan tiff_read maker_note iptc_segment image_view iso_media png webp psd raf)
asan_dir=$root/build/fuzz-asan
assert_dir=$root/build/fuzz-assert
work_root=${FUZZ_WORK:-$root/build/fuzz-corpus}
targets+=(xml_reader xmp_packet)

usage() {
    sed -n '4,7p' "$0" | sed 's/^# *//' >&2
    exit 2
}

build() {
    # libclang-rt-dev: the sanitizer and libFuzzer runtimes, only recommended by clang.
    scripts/ensure-packages.sh clang libclang-rt-dev cmake make zlib1g-dev >&2
    local jobs; jobs=$(nproc); [ "$jobs" -gt 2 ] && jobs=2
    local names=("${targets[@]/#/fuzz-}")
    cmake -S . -B "$asan_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DEXIFVIEW_FUZZ=ON -DEXIFVIEW_SANITIZE=ON -DEXIFVIEW_TESTS=OFF -DEXIFVIEW_WERROR=ON >/dev/null
    cmake --build "$asan_dir" -j"$jobs" --target "${names[@]}" >&2
    cmake -S . -B "$assert_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_FLAGS=-D_GLIBCXX_ASSERTIONS -DEXIFVIEW_FUZZ=ON -DEXIFVIEW_TESTS=OFF -DEXIFVIEW_WERROR=ON >/dev/null
    cmake --build "$assert_dir" -j"$jobs" --target "${names[@]}" >&2
}

known() {
    local t
    for t in "${targets[@]}"; do [ "$t" = "$1" ] && return 0; done
    return 1
}

# The read-only seed folders of a target.
seeds() {
    local t=$1 dirs=("$root/fuzz/corpus/$t")
    [ -d "$root/tests/data/crashes/$t" ] && dirs+=("$root/tests/data/crashes/$t")
    case $t in
        jpeg_scan | tiff_read) dirs+=("$root/tests/data/samples") ;;
        image_view) dirs+=("$root/tests/data/samples" "$root/tests/data/samples-modern" "$root/tests/data/containers") ;;
        iso_media) dirs+=("$root/tests/data/samples-modern") ;;
        png | webp | psd) dirs+=("$root/tests/data/containers") ;;
    esac
    printf '%s\n' "${dirs[@]}"
}

# Options shared by every run: findings into their own folder, a time and
# memory bound per input, inputs up to the size of a JPEG segment run.
fuzz_options() {
    echo -artifact_prefix="$1/" -timeout=10 -rss_limit_mb=2048 -max_len=131072 -print_final_stats=1
}

# Minimises each finding into the crash folder of its target.
keep_findings() {
    local t=$1 findings=$2 f name
    mkdir -p "$root/tests/data/crashes/$t"
    for f in "$findings"/*; do
        [ -f "$f" ] || continue
        name=$(basename "$f")
        if [[ $name == crash-* ]]; then
            "$asan_dir/fuzz/fuzz-$t" -minimize_crash=1 -runs=20000 -timeout=10 \
                -exact_artifact_path="$root/tests/data/crashes/$t/$name" "$f" >/dev/null 2>&1 ||
                cp "$f" "$root/tests/data/crashes/$t/$name"
        fi
        [ -f "$root/tests/data/crashes/$t/$name" ] || cp "$f" "$root/tests/data/crashes/$t/$name"
        echo "finding kept: tests/data/crashes/$t/$name" >&2
    done
}

# run TARGET LIMIT_OPTION: fuzzes from the seeds into the working corpus,
# replays that corpus under the assertions build, and prints the summary.
run() {
    local t=$1 limit=$2
    # The run's log stays next to its findings: build/fuzz-findings/TARGET.log.
    local work=$work_root/$t findings=$root/build/fuzz-findings/$t log=$root/build/fuzz-findings/$t.log
    mkdir -p "$work" "$findings"
    rm -f "$findings"/*
    local status=0
    mapfile -t seed_dirs < <(seeds "$t")
    local started ended
    started=$(date +%s%N)
    # shellcheck disable=SC2046
    "$asan_dir/fuzz/fuzz-$t" $(fuzz_options "$findings") "$limit" "$work" "${seed_dirs[@]}" >"$log" 2>&1 || status=$?
    ended=$(date +%s%N)
    local execs rate cov
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    # Over the whole run, loading the corpus included.
    rate=$(( ${execs:-0} * 1000 / ( (ended - started) / 1000000 + 1 ) ))
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
    if [ "$status" -ne 0 ]; then
        grep -E 'ERROR|invariant broken|SUMMARY' "$log" | head -5 >&2 || true
    else
        # The same inputs under libstdc++'s assertions.
        # shellcheck disable=SC2046
        "$assert_dir/fuzz/fuzz-$t" $(fuzz_options "$findings") -runs=0 "$work" "${seed_dirs[@]}" >"$log.assert" 2>&1 ||
            { status=$?; grep -E 'ERROR|invariant broken|SUMMARY|Assertion' "$log.assert" | head -5 >&2 || true; }
    fi
    local found
    found=$(find "$findings" -type f | wc -l)
    [ "$status" -ne 0 ] && [ "$found" -eq 0 ] && found=1
    keep_findings "$t" "$findings"
    echo "$t ${cov:+($cov) }corpus $(find "$work" -type f | wc -l) files" >&2
    echo "$t: ${execs:-0} execs, ${rate:-0} exec/s, $found findings"
    [ "$found" -eq 0 ]
}

# The long run, in rounds of a million executions on one working corpus, so
# that an interrupted run keeps the rounds it finished (each one's summary is
# appended to build/fuzz-findings/TARGET.long); stops at the first finding.
long_run() {
    local t=$1 total=$2 round=1000000 done_execs=0 started line execs
    local record=$root/build/fuzz-findings/$t.long
    mkdir -p "$(dirname "$record")"
    echo "# $(date -u '+%Y-%m-%d %H:%M') UTC, $total executions in rounds of $round" >>"$record"
    started=$(date +%s)
    while [ "$done_execs" -lt "$total" ]; do
        line=$(run "$t" -runs=$(( total - done_execs < round ? total - done_execs : round ))) ||
            { echo "$line" | tee -a "$record"; return 1; }
        echo "$line" >>"$record"
        execs=$(echo "$line" | sed -n 's/^[a-z_]*: \([0-9]*\) execs.*/\1/p')
        done_execs=$(( done_execs + ${execs:-0} ))
    done
    local seconds=$(( $(date +%s) - started + 1 ))
    echo "$t: $done_execs execs, $(( done_execs / seconds )) exec/s, 0 findings" | tee -a "$record"
}

case ${1:-} in
    --list)
        printf '%s\n' "${targets[@]}"
        ;;
    --smoke)
        runs=${2:-2000}
        build
        work_root=$(mktemp -d /tmp/exifview-fuzz-smoke.XXXXXX)
        trap 'rm -rf "$work_root"' EXIT
        failed=0
        for t in "${targets[@]}"; do
            run "$t" -runs="$runs" || failed=1
        done
        exit $failed
        ;;
    --long)
        t=${2:-} total=${3:-10000000}
        known "$t" || { echo "fuzz.sh: unknown target $t (see --list)" >&2; exit 2; }
        [[ $total =~ ^[1-9][0-9]*$ ]] || usage
        build
        long_run "$t" "$total"
        ;;
    "" | -*)
        usage
        ;;
    *)
        t=$1 seconds=${2:-}
        known "$t" || { echo "fuzz.sh: unknown target $t (see --list)" >&2; exit 2; }
        [[ $seconds =~ ^[0-9]+$ ]] || usage
        build
        run "$t" -max_total_time="$seconds"
        ;;
esac
