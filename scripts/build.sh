#!/usr/bin/env bash
# Configures (once) and builds into build/. Extra arguments name targets.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
if [ $# -gt 0 ]; then
  for t in "$@"; do cmake --build build -j"$(nproc)" --target "$t"; done
else
  cmake --build build -j"$(nproc)"
fi
