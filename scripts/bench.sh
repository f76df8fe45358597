#!/usr/bin/env bash
# Builds and runs the benchmarks: the engine's cost per stereo frame and its ratio to a bare
# delay line, then the first pass through the line against a warm line through the built
# bundle. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=Synced).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/build.sh build-bench -DECHOVANE_BUILD_BENCHMARKS=ON -DECHOVANE_BUILD_TESTS=OFF
build-bench/bench/echovane_benchmarks "$@"
build-bench/bench/echovane_bundle_benchmarks "$@"
