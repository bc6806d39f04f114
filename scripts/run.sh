#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it, with an optional field file.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ROOT"

bash scripts/deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target furrow

ARGS=()
if [ $# -gt 0 ]; then
  ARGS+=("$(realpath -m "$1")")
fi
exec "$ROOT/build/bin/furrow" "${ARGS[@]}"
