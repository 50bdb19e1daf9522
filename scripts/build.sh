#!/usr/bin/env bash
# Configures and builds into ./build (or $BUILD_DIR): everything, or only the
# targets named as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
# ccache, when installed, lets several checkouts of the same depth share objects.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=1
  CMAKE_ARGS="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache ${CMAKE_ARGS:-}"
fi
cmake -S . -B "$build" -G Ninja -DZANDOLET_WERROR=ON ${CMAKE_ARGS:-} >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "$(nproc)" "${targets[@]}"
