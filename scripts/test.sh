#!/usr/bin/env bash
# Sets up, checks formatting, then builds and runs the whole test suite three times: a normal
# Release build (which also compiles the benchmarks, so they cannot rot), a Debug build, where
# JUCE's assertions and leak detectors are compiled in and any hit fails the test that hit it,
# and a build with AddressSanitizer and UndefinedBehaviorSanitizer. Last, ThreadSanitizer runs the
# tests where threads meet. Our own code builds with warnings as errors in every leg. The quickest
# leg runs first, so an ordinary fault stops the run within minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh

run_suite() {
    local build_dir=$1
    shift
    scripts/build.sh "$build_dir" -DECHOVANE_WARNINGS_AS_ERRORS=ON "$@"
    ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)" --timeout 900
}

echo "== Release build and tests"
run_suite build -DECHOVANE_BUILD_BENCHMARKS=ON

echo "== Debug build and tests: JUCE's assertions and leak detectors"
run_suite build-debug -DCMAKE_BUILD_TYPE=Debug

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:suppressions=$PWD/tests/support/asan-suppressions.txt
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DECHOVANE_SANITIZERS=address,undefined

echo "== ThreadSanitizer: the tests where threads meet"
# Each such test is declared as one where it is written and carries the label "concurrency"
# (tests/support/ConcurrencyTests.h); a runner left unbuilt fails here rather than hiding its own.
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
scripts/build.sh build-tsan -DECHOVANE_WARNINGS_AS_ERRORS=ON -DECHOVANE_SANITIZERS=thread
# Half the machine: each test under ThreadSanitizer runs several times slower and some of them keep
# bounds against hangs.
ctest --test-dir build-tsan --output-on-failure --parallel 4 --timeout 900 -L concurrency
