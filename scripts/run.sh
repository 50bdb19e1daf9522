#!/usr/bin/env bash
# Installs what is missing, builds and starts Zandolet.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Zandolet is a desktop program and needs a display: no DISPLAY or WAYLAND_DISPLAY is set." >&2
  echo "Run it from a desktop session, or under a virtual one: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec "${BUILD_DIR:-build}/app/zandolet" "$@"
