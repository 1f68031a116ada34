#!/usr/bin/env bash
# Builds everything with warnings as errors and runs every test, twice:
#   normal    g++ build in build/, the whole ctest suite
#   sanitize  clang build in build-asan/ with AddressSanitizer and UBSan and
#             the fuzz targets; the whole ctest suite again (any sanitizer
#             report fails it), then every fuzz target for
#             TOLVANE_FUZZ_SECONDS (30) seconds
#
#   scripts/test.sh             both halves
#   scripts/test.sh normal      the normal half only
#   scripts/test.sh sanitize    the sanitizer half only
#
# The time of each stage is printed as it ends and again at the end. ccache is
# used when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
halves=${1:-all}
case $halves in
    all | normal | sanitize) ;;
    *) echo "usage: $0 [normal|sanitize]" >&2; exit 2 ;;
esac
jobs=$(nproc)
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths relative to the checkout, so that another checkout (another CI
    # workspace, a second worktree) finds the same compilations in the cache.
    export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi

summary=()
total_start=$SECONDS
timesFile=$(mktemp)
trap 'rm -f "$timesFile"' EXIT
# Processor seconds used by the finished child processes so far, from the
# "times" that the caller wrote into $timesFile. ("times" itself must run in
# this shell: in a command substitution it would only count the subshell's.)
children_cpu() {
    tail -n 1 "$timesFile" | awk '{
        t = 0
        for (i = 1; i <= 2; i++) { split($i, p, /[ms]/); t += p[1] * 60 + p[2] }
        printf "%d", t }'
}
stage() {
    local name=$1
    shift
    local start=$SECONDS cpu0
    times >"$timesFile"
    cpu0=$(children_cpu)
    echo "=== $name"
    # Errexit does not reach into a command run on the left of "||": the stage
    # functions chain their steps with "&&".
    local rc=0
    "$@" || rc=$?
    times >"$timesFile"
    local took=$((SECONDS - start)) cpu=$(($(children_cpu) - cpu0))
    local result
    result=$(printf '%-16s %4d s  (%d s of processor time)%s' "$name" "$took" "$cpu" \
        "$([ $rc -eq 0 ] || echo "  FAILED")")
    summary+=("$result")
    echo "=== $result"
    if [ $rc -ne 0 ]; then
        print_summary
        exit $rc
    fi
}
print_summary() {
    echo "=== stage times"
    printf '  %s\n' "${summary[@]}"
    printf '  %-16s %4d s\n' "total" $((SECONDS - total_start))
}

configure_normal() {
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON \
        "${launcher[@]}" >/dev/null &&
        cmake --build build -j"$jobs"
}
test_normal() {
    (cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")
}
# One clang tree serves the sanitizer suite and the fuzz targets: the
# libraries carry the fuzzer's coverage, the tests link them as usual.
configure_sanitize() {
    cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug \
        "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -gline-tables-only" -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld \
        -DTOLVANE_WERROR=ON -DTOLVANE_SANITIZE=address,undefined -DTOLVANE_FUZZ=ON \
        "${launcher[@]}" >/dev/null &&
        cmake --build build-asan -j"$jobs"
}
test_sanitize() {
    (cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$jobs")
}
# The desktop files, the documentation, and the .deb: built, unpacked in a
# scratch root, its contents checked and its panel asked for its version.
package() {
    scripts/check-desktop-files.sh &&
        scripts/check-docs.sh build &&
        scripts/check-package.sh build
}
fuzz() {
    scripts/fuzz.sh -b build-asan -t "${TOLVANE_FUZZ_SECONDS:-30}" -j "$jobs"
}

if [ "$halves" = sanitize ]; then
    stage "packages" scripts/deps.sh sanitize
elif [ "$halves" = normal ]; then
    stage "packages" scripts/deps.sh
else
    stage "packages" scripts/deps.sh sanitize
fi
if [ "$halves" != sanitize ]; then
    stage "build (g++)" configure_normal
    stage "tests" test_normal
    stage "package" package
fi
if [ "$halves" != normal ]; then
    stage "build (asan)" configure_sanitize
    stage "tests (asan)" test_sanitize
    stage "fuzzing" fuzz
fi
print_summary
