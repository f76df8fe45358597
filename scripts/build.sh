#!/usr/bin/env bash
# Configures and builds one build tree:
#   scripts/build.sh BUILD_DIR [extra cmake arguments...] [-- TARGET...]
# With targets after "--", only those (and what they need) are built; otherwise everything.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true

cmake_args=()
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = "--" ]; then
        shift
        targets=("$@")
        break
    fi
    cmake_args+=("$1")
    shift
done

mkdir -p "$build_dir"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${cmake_args[@]}" > "$build_dir/configure.log" 2>&1 \
    || { cat "$build_dir/configure.log"; exit 1; }

target_args=()
for target in "${targets[@]}"; do
    target_args+=(--target "$target")
done
cmake --build "$build_dir" --parallel "$(nproc)" "${target_args[@]}"
