#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, running and testing need, when
# any of them is missing. Runs apt-get as root, or through sudo.
#   scripts/install-deps.sh             everything (build, tests, benchmarks)
#   scripts/install-deps.sh --package   what the package preset and cpack need
#   scripts/install-deps.sh --texts     the texts bench/detect/accuracy.sh reads
#                                       besides translations: manual pages in
#                                       Chinese, French and German
#   scripts/install-deps.sh --windows   what the Windows toolchain, its tests and
#                                       its zip and installer need
set -euo pipefail

# Building the programs, and the Debian package from them.
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libicu-dev
  dpkg-dev file
)
if [ "${1:-}" = --texts ]; then
  packages=(manpages-zh manpages-fr manpages-de)
elif [ "${1:-}" = --windows ]; then
  packages+=(
    python3 g++-mingw-w64-x86-64-posix qt6-base-dev-tools
    wine64 xvfb xauth fonts-wqy-zenhei # the tests and the screenshot, under wine
    nsis zip                           # the installer and the zip
  )
elif [ "${1:-}" != --package ]; then
  packages+=(
    python3
    libgtest-dev libgmock-dev libbenchmark-dev
    libx11-dev xvfb xauth xdotool fonts-wqy-zenhei
    desktop-file-utils appstream
    lintian devscripts
    clang-format               # keeps the layout of the code (tests/layout)
    g++-mingw-w64-x86-64-posix # checks the Windows sources (tests/windows)
    zsh fish                   # load velloran-cli's completion scripts (tests/cli)
  )
fi

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
