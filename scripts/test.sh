#!/usr/bin/env bash
# Installs what is missing, builds everything in build/ and runs every test through ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

JOBS="$(nproc)"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFURROW_WERROR=ON
cmake --build build -j "$JOBS"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$JOBS"
