#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless.
# SANITIZE=1 builds into build-asan with AddressSanitizer, LeakSanitizer and
# UBSan. Then the fuzz targets get a short run each (scripts/fuzz.sh).
# First of all, scripts/check-deps.py checks that the libraries' ties run one way.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/check-deps.py
if [ "${SANITIZE:-0}" = 1 ]; then
  export BUILD_DIR=${BUILD_DIR:-build-asan} CMAKE_ARGS="-DZANDOLET_SANITIZE=ON ${CMAKE_ARGS:-}"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
  export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}
fi
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd "${BUILD_DIR:-build}"
ctest --output-on-failure --parallel 2 --timeout 600
cd - >/dev/null
scripts/fuzz.sh
