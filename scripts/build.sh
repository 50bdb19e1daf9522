#!/usr/bin/env bash
# Configures and builds into ./build (or $BUILD_DIR): everything, or only the
# targets named as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DZANDOLET_WERROR=ON ${CMAKE_ARGS:-} >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
