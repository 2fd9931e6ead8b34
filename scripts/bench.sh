#!/usr/bin/env bash
# Builds and runs the benchmarks (Release build in build-bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF -DTOLVANE_WITH_QT=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target tolvane_bench
exec build-bench/bench/tolvane_bench "$@"
