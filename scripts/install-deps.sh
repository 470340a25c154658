#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, when
# any of them is missing. Runs apt-get as root, or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3
  qt6-base-dev libgl-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libx11-dev xvfb xauth xdotool fonts-wqy-zenhei
  desktop-file-utils appstream dpkg-dev file
  g++-mingw-w64-x86-64-posix # checks the Windows sources (tests/windows)
  zsh fish                   # load velloran-cli's completion scripts (tests/cli)
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
