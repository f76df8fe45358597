#!/usr/bin/env bash
# Builds and runs the benchmarks: the engine's cost per stereo frame and its ratio to a bare
# delay line, then the first pass through the line against a warm line through the built
# bundle. Extra arguments go to Google Benchmark (e.g. --benchmark_filter=Synced).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The Release tree the tests use already compiles the benchmarks; only they are built here.
scripts/build.sh build -DECHOVANE_BUILD_BENCHMARKS=ON -- echovane_benchmarks echovane_bundle_benchmarks
build/bench/echovane_benchmarks "$@"
build/bench/echovane_bundle_benchmarks "$@"
