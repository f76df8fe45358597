#!/usr/bin/env bash
# Sets up, checks formatting, then builds and runs the whole test suite twice: a normal Release
# build, and a build with AddressSanitizer and UndefinedBehaviorSanitizer.
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
run_suite build

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DECHOVANE_SANITIZERS=address,undefined
