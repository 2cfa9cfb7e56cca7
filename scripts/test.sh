#!/usr/bin/env bash
# Sets everything up, builds, and runs the whole test suite: first the normal
# build, then the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, then the Windows build and its tests under Wine,
# then a bounded libFuzzer run of each fuzz target.
# FUZZ_SECONDS sets the length of each fuzz run (60 by default; 0 skips them).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
elapsed() { echo "test: $1 took $((SECONDS - $2)) s"; }

start=$SECONDS
scripts/setup.sh build
ctest --test-dir build --output-on-failure -j2
elapsed "the normal build and suite" "$start"

# Any sanitizer report ends the process with an error, so a test that trips
# one fails.
start=$SECONDS
scripts/setup.sh build-asan -DDELVARO_SANITIZE=address,undefined
ASAN_OPTIONS=detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp \
    ctest --test-dir build-asan --output-on-failure -j2
elapsed "the sanitizer build and suite" "$start"

# The Windows programs, cross-built with MinGW-w64, and every test that means
# something on Windows, under Wine. One persistent Wine server serves the
# whole stage, and Wine's services start before the first test, not in it.
start=$SECONDS
scripts/build-windows.sh build-windows
export WINEPREFIX=$root/build-windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# Stops this prefix's server only, on every way out of the stage.
stop_wine() { WINEPREFIX=$root/build-windows/wine /usr/lib/wine/wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
/usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true
/usr/lib/wine/wine64 wineboot </dev/null >/dev/null 2>&1
ctest --test-dir build-windows --output-on-failure -j2
stop_wine
trap - EXIT
unset WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
elapsed "the Windows build and suite under Wine" "$start"

fuzz_seconds=${FUZZ_SECONDS:-60}
if [ "$fuzz_seconds" -gt 0 ]; then
    start=$SECONDS
    scripts/setup.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DDELVARO_FUZZ=ON \
        -DDELVARO_SANITIZE=address,undefined -DDELVARO_BUILD_TESTS=OFF -DDELVARO_BUILD_APP=OFF
    for target in ski_file run; do
        # New inputs go to the first folder; the others are the seeds.
        corpus=build-fuzz/corpus/$target
        artifacts=build-fuzz/artifacts/$target/
        mkdir -p "$corpus" "$artifacts"
        seeds=()
        for folder in "fuzz/seeds/$target" tests/fixtures samples; do
            [ -d "$folder" ] && seeds+=("$folder")
        done
        echo "test: fuzzing ${target}_fuzzer for $fuzz_seconds s"
        if ! build-fuzz/bin/${target}_fuzzer -max_total_time="$fuzz_seconds" -timeout=10 \
            -rss_limit_mb=2048 -detect_leaks=1 -print_final_stats=1 -dict=fuzz/ski.dict \
            -artifact_prefix="$artifacts" "$corpus" "${seeds[@]}" >build-fuzz/$target.log 2>&1; then
            tail -n 60 build-fuzz/$target.log
            echo "test: ${target}_fuzzer failed; the input is in $artifacts" >&2
            exit 1
        fi
        grep -E '^stat::(number_of_executed_units|average_exec_per_sec|peak_rss_mb)' \
            build-fuzz/$target.log
    done
    elapsed "fuzzing" "$start"
fi

# The Debian package and the Windows zip and installer, built and tried out.
start=$SECONDS
scripts/test-packages.sh
elapsed "the packages" "$start"
