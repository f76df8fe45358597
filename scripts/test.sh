#!/usr/bin/env bash
# Sets up, checks formatting, then builds and runs the whole test suite three times: a normal
# Release build (which also compiles the benchmarks, so they cannot rot), a Debug build, where
# JUCE's assertions and leak detectors are compiled in and any hit fails the test that hit it,
# and a build with AddressSanitizer and UndefinedBehaviorSanitizer. Last, ThreadSanitizer runs the
# tests where threads meet. The quickest leg runs first, so an ordinary fault stops the run within
# minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check-format.sh

run_suite() {
    local build_dir=$1
    shift
    scripts/build.sh "$build_dir" "$@"
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

echo "== ThreadSanitizer: the stress test and the other tests where threads meet"
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1
mkdir -p build-tsan
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Release -DECHOVANE_SANITIZERS=thread > build-tsan/configure.log 2>&1 \
    || { cat build-tsan/configure.log; exit 1; }
cmake --build build-tsan --parallel "$(nproc)" --target echovane_unit_tests
# The audio thread against an automating thread; host threads handing changes to the controls;
# update checks that outlive their editors and the shut-down that waits for them.
ctest --test-dir build-tsan --output-on-failure --timeout 900 \
    -R '^(Stress\.|ParameterFollower\.|Deliveries/OtherThreads\.|Variants/ShortPulse\.|Ends/KnobInfinity\.|Stages/ClosingTheNotice\.|ClosingTheNoticeOften\.|UpdateCheck\.Retiring)'
