#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test: the
# normal build, the Debian package and its validators, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the threaded tests of the
# control and of the run under ThreadSanitizer, a short fuzzing run of the
# scanner and the control, and the control built for Windows under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
# Tests register and create components: keep them out of the user's registry.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_DATA_HOME="$scratch/data"

step() { printf '\n== %s\n' "$*"; }

step "build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DROSTERLY_BUILD_TESTS=ON -DROSTERLY_BUILD_BENCHMARKS=ON >/dev/null
cmake --build build -j"$jobs"

step "tests"
ctest --test-dir build --output-on-failure -j"$jobs" --timeout 300

step "the Debian package: contents, validators, installed files at work"
scripts/check-package.sh build

step "tests under address and undefined-behaviour sanitizers"
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DROSTERLY_SANITIZE=address,undefined -DROSTERLY_BUILD_TESTS=ON \
    -DROSTERLY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp":print_suppressions=0 \
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs" --timeout 600

step "threads under the thread sanitizer: the control's record, the run's reading, sorting, grouping, writing"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROSTERLY_SANITIZE=thread \
    -DROSTERLY_BUILD_TESTS=ON -DROSTERLY_BUILD_BENCHMARKS=OFF >/dev/null
threaded_tests="record_keeper_test sievan_unwatched_test sievan_exception_barrier_test
    read_ahead_test prefetched_input_test entry_sort_test domain_groups_test address_table_test
    list_file_test"
# shellcheck disable=SC2086
cmake --build build-tsan -j"$jobs" --target $threaded_tests
for test in $threaded_tests; do
    "build-tsan/bin/$test" --gtest_brief=1
done

step "fuzzing the address scanner, the control and the bounded lines"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DROSTERLY_FUZZ=ON -DROSTERLY_BUILD_APP=OFF -DROSTERLY_BUILD_TESTS=OFF \
    -DROSTERLY_BUILD_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target address_scanner_fuzz sievan_extract_fuzz bounded_line_fuzz \
    seen_text_fuzz
for fuzzer in address_scanner_fuzz sievan_extract_fuzz bounded_line_fuzz seen_text_fuzz; do
    mkdir -p "$scratch/$fuzzer"
    build-fuzz/bin/$fuzzer -max_total_time="${FUZZ_SECONDS:-30}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 "$scratch/$fuzzer" >"$scratch/$fuzzer.log" 2>&1 ||
        { tail -n 40 "$scratch/$fuzzer.log"; exit 1; }
    echo "$fuzzer: $(grep -m1 'stat::number_of_executed_units' "$scratch/$fuzzer.log") runs, no failure"
done

step "the control built for Windows, driven by script clients under Wine"
windows/test-under-wine.sh

step "all tests passed"
