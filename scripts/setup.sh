#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks, then configures and builds.
# Usage: scripts/setup.sh BUILD_DIR [extra cmake arguments...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"; shift

packages=(g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpng-dev libjpeg-dev libgif-dev zlib1g-dev
  fonts-liberation2 fonts-urw-base35 fonts-dejavu-core fontconfig
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  poppler-utils
  xvfb openbox libx11-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=300 update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$here/$build" -G Ninja "$@" >/dev/null
cmake --build "$here/$build" -j"$(nproc)"
