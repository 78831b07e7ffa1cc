#!/usr/bin/env bash
# Installs what the build, the game and the tests need on Debian 12.
# Quick when everything is already there: apt is only called for what is missing.
set -euo pipefail

PACKAGES=(
  cmake g++ ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libgl1-mesa-dri libegl-mesa0 libsdl2-dev libepoxy-dev
  libode-dev libopenal-dev libvorbis-dev libstb-dev
  libfreetype-dev libfontconfig-dev fonts-liberation2
  libavformat-dev libavcodec-dev libswscale-dev
  clang libclang-rt-14-dev llvm
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
