#!/usr/bin/env bash
# Runs the fuzz targets of a TOLVANE_FUZZ=ON build, two at a time, each for a
# fixed time, starting from its seed corpus. Fails when a target crashes,
# trips a sanitizer, leaks or runs out of time or memory on an input.
#
#   scripts/fuzz.sh [-b BUILD_DIR] [-t SECONDS] [-j JOBS] [TARGET...]
#
# Defaults: build-asan, 30 s per target, two at a time, every target listed in
# BUILD_DIR/fuzz-targets.txt. New inputs go to BUILD_DIR/fuzz/<target>/corpus
# (kept between runs, so longer runs build on earlier ones); a failing input is
# saved as BUILD_DIR/fuzz/<target>/crash-* and the log as .../log.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-asan
seconds=${TOLVANE_FUZZ_SECONDS:-30}
jobs=2
while getopts "b:t:j:" opt; do
    case $opt in
        b) build=$OPTARG ;;
        t) seconds=$OPTARG ;;
        j) jobs=$OPTARG ;;
        *) echo "usage: $0 [-b BUILD_DIR] [-t SECONDS] [-j JOBS] [TARGET...]" >&2; exit 2 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -gt 0 ]; then
    targets=("$@")
else
    [ -f "$build/fuzz-targets.txt" ] || { echo "no $build/fuzz-targets.txt: configure with -DTOLVANE_FUZZ=ON" >&2; exit 2; }
    mapfile -t targets < "$build/fuzz-targets.txt"
fi
root=$(pwd)
[ -d "$build" ] || { echo "no build folder $build" >&2; exit 2; }
build=$(cd "$build" && pwd)
run_one() {
    local t=$1 work="$build/fuzz/$1"
    mkdir -p "$work/corpus"
    rm -f "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*
    # Sanitizer reports go to the log with libFuzzer's own output.
    ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$work/" \
        "$work/corpus" "$root/tests/fuzz/corpus/$t" > "$work/log" 2>&1
}
failed=()
declare -A pids=()
report() {
    local t=$1 rc=$2 work="$build/fuzz/$1"
    local runs
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/log" | grep -o '[0-9]*$' || echo "?")
    if [ "$rc" -eq 0 ]; then
        printf 'fuzz_%-14s ok      %10s inputs in %s s\n' "$t" "$runs" "$seconds"
    else
        printf 'fuzz_%-14s FAILED  (exit %s), log %s\n' "$t" "$rc" "$work/log"
        { grep -E 'ERROR|SUMMARY|property broken|Test unit written|runtime error' "$work/log" || true; } |
            head -20 | sed 's/^/    /'
        failed+=("$t")
    fi
}
for t in "${targets[@]}"; do
    [ -x "$build/fuzz_$t" ] || { echo "no $build/fuzz_$t" >&2; exit 2; }
    while [ "${#pids[@]}" -ge "$jobs" ]; do
        wait -n || true
        for p in "${!pids[@]}"; do
            if ! kill -0 "$p" 2>/dev/null; then
                rc=0; wait "$p" || rc=$?
                report "${pids[$p]}" "$rc"; unset "pids[$p]"
            fi
        done
    done
    run_one "$t" & pids[$!]=$t
done
for p in "${!pids[@]}"; do
    rc=0; wait "$p" || rc=$?
    report "${pids[$p]}" "$rc"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]}"
    exit 1
fi
