#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz and runs each for a
# moment on its seed corpus (FUZZ_SECONDS each, default 1). New inputs go to a
# temporary folder, never into the seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FUZZ_BUILD_DIR:-build-fuzz}
CXX=clang++ CC=clang cmake -S . -B "$build" -G Ninja -DZANDOLET_FUZZ=ON -DZANDOLET_WERROR=ON >/dev/null
cmake --build "$build" --target fuzz_all --parallel "$(nproc)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for seeds in fuzz/corpus/*/; do
  name=$(basename "$seeds")
  mkdir -p "$work/$name"
  echo "fuzz_$name: ${FUZZ_SECONDS:-1} s"
  "$build/fuzz/fuzz_$name" -max_total_time="${FUZZ_SECONDS:-1}" -timeout=10 -rss_limit_mb=1024 \
    -artifact_prefix="$work/" "$work/$name" "$seeds" >"$work/$name.log" 2>&1 || {
    tail -40 "$work/$name.log"; cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* . 2>/dev/null || true
    echo "fuzz_$name failed; its input was copied here"; exit 1; }
done
