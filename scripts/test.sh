#!/usr/bin/env bash
# Installs the dependencies, builds qvlrx with its tests and runs every test.
# Usage: scripts/test.sh [build-dir] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${1:-build}"
shift || true
if [ "${QVLRX_SKIP_INSTALL:-0}" != "1" ]; then
    scripts/install-deps.sh
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVLRX_WERROR=ON "$@"
cmake --build "$BUILD_DIR" -j"$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
