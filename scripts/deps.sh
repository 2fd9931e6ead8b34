#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, and
# nothing when they are all present. Usage: scripts/deps.sh
set -euo pipefail

packages=(
  cmake make g++ libgtest-dev libbenchmark-dev
  qt6-base-dev libgl-dev fonts-dejavu-core clang-format
  # the GIF encoder
  libgif-dev
  # tests: offscreen and X11 runs, reference codecs
  xvfb xdotool x11-utils imagemagick netpbm python3-pil xclip
  # PNG strips and sheets
  libspng-dev pkg-config
  # whole PNG pictures in one call: libdeflate, and zlib on two threads
  libdeflate-dev zlib1g-dev
  # the history's compressed steps
  libzstd-dev
  # the recovery copy's fingerprints of what changed
  libxxhash-dev
  # the sprite sheet's JSON
  nlohmann-json3-dev
  # tests: the software centre's data (appstreamcli validate)
  appstream
  # the Debian package: CPack finds its Depends with file and dpkg-shlibdeps
  file dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
