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
# A compiler cache, where there is one, makes a build again of a clone anywhere on the machine quick: paths
# below the project are hashed relative to it.
LAUNCHER=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQVLRX_WERROR=ON "${LAUNCHER[@]}" "$@"
cmake --build "$BUILD_DIR" -j"$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j2
