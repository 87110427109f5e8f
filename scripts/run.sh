#!/usr/bin/env bash
# Installs the dependencies, builds qvlrx and the fake web, and runs the offline demo: a generated sample
# blog is backed up completely into a CHM (in the window when a display exists, in batch mode otherwise).
# Start the program itself afterwards with build/qvlrx.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${QVLRX_SKIP_INSTALL:-0}" != "1" ]; then
    scripts/install-deps.sh
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target qvlrx fakeweb
exec scripts/demo.sh
