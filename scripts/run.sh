#!/usr/bin/env bash
# Installs what is missing, builds and starts Zandolet. Records are kept
# under the folder you start it from.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
# A desktop program without a display would only fail after the build: say so first.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Zandolet is a desktop program and needs a display: no DISPLAY or WAYLAND_DISPLAY is set." >&2
  echo "Run it from a desktop session, or under a virtual one: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
"$repo/scripts/deps.sh" program
# Only the program: the tests and benchmarks are built by scripts/test.sh.
"$repo/scripts/build.sh" zandolet
build=${BUILD_DIR:-build}
case "$build" in /*) ;; *) build="$repo/$build" ;; esac
exec "$build/app/zandolet" "$@"
