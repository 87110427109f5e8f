#!/usr/bin/env bash
# Installs the dependencies, builds qvlrx and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${QVLRX_SKIP_INSTALL:-0}" != "1" ]; then
    scripts/install-deps.sh
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target qvlrx
if [ -n "${DISPLAY:-}" ]; then
    exec build/qvlrx
else
    exec xvfb-run -a build/qvlrx
fi
