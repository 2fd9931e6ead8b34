#!/usr/bin/env bash
# Builds the Debian package of Tolvane, tolvane_VERSION_ARCH.deb, into the
# current folder (or --out DIR) and prints its path. It makes a Release build
# of the program in build-release/ first, with Debian's hardening flags;
# --from BUILD_DIR packages the program already built there instead (the test
# of the package takes the test build's).
# Usage: scripts/package.sh [--from BUILD_DIR] [--out DIR]
set -euo pipefail
usage="usage: scripts/package.sh [--from BUILD_DIR] [--out DIR]"
from=""
out=$PWD
while [ $# -gt 0 ]; do
  case $1 in
    --from) from=$(realpath "${2:?$usage}"); shift 2 ;;
    --out) mkdir -p "${2:?$usage}"; out=$(realpath "$2"); shift 2 ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
done
cd "$(dirname "$0")/.."

if [ -z "$from" ]; then
  scripts/deps.sh
  from=$PWD/build-release
  flags=()
  if command -v dpkg-buildflags >/dev/null; then
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    flags=(-DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)")
  fi
  cmake -S . -B "$from" -DCMAKE_BUILD_TYPE=Release -DTOLVANE_TESTS=OFF -DTOLVANE_BENCH=OFF \
    "${flags[@]}" >/dev/null
  cmake --build "$from" -j"$(nproc)" --target tolvane
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$from/CPackConfig.cmake" -B "$work" >&2
deb=("$work"/*.deb)
mv "${deb[0]}" "$out/"
echo "$out/$(basename "${deb[0]}")"
