#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite
# headless (Qt's offscreen platform; the end-to-end test starts its own Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j"$(nproc)" --timeout 600
