#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it, with an optional field file.
# The program is a desktop program: it needs a display (X11 or Wayland).
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != "offscreen" ]; then
  echo "scripts/run.sh starts Furrow, a desktop program, and needs a display: neither DISPLAY (X11)" >&2
  echo "nor WAYLAND_DISPLAY (Wayland) is set. Run it in a graphical session, or set" >&2
  echo "QT_QPA_PLATFORM=offscreen to start it without a window. Nothing was installed or built." >&2
  exit 1
fi

bash scripts/deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target furrow

ARGS=()
if [ $# -gt 0 ]; then
  ARGS+=("$(realpath -m "$1")")
fi
exec "$ROOT/build/bin/furrow" "${ARGS[@]}"
