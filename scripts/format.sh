#!/usr/bin/env bash
# Formats the C++ sources with the checked-in .clang-format. With --check it
# changes nothing and fails when a file is not formatted.
# Usage: scripts/format.sh [--check]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "missing clang-format (scripts/deps.sh installs it)"; exit 1; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' '*.inl' 2>/dev/null || find src tests bench fuzz -name '*.cpp' -o -name '*.h' -o -name '*.inl')
if [ "${1:-}" = "--check" ]; then
  clang-format --dry-run --Werror "${files[@]}"
  echo "${#files[@]} files formatted"
else
  clang-format -i "${files[@]}"
fi
