#!/usr/bin/env bash
# Installs what is missing, builds and starts Tolvane.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh tolvane
exec build/src/app/tolvane
