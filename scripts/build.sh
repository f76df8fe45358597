#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true

mkdir -p "$build_dir"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" > "$build_dir/configure.log" 2>&1 \
    || { cat "$build_dir/configure.log"; exit 1; }
cmake --build "$build_dir" --parallel "$(nproc)"
