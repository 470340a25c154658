#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build tree into <out dir>, where the
# lintian and hardening checks find it, and checks its name, its control
# fields and its contents: check_deb.sh <build dir> <out dir> <version> <file list>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$1 out=$2 version=$3 list=$4
need_tool dpkg-deb
need_tool dpkg-shlibdeps
need_tool file

rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }

deb=$out/velloran_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$out")"
dpkg-deb -f "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velloran ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
# No placeholder address anywhere: where there is no real one, the field is
# left out, or holds the reserved .invalid domain.
tree=$out/tree
dpkg-deb -x "$deb" "$tree"
placeholders=$( (dpkg-deb -f "$deb"; grep -rIh . "$tree") | grep -oE '[A-Za-z0-9.-]*example\.(org|com|net)' || true)
[ -z "$placeholders" ] || fail "placeholder addresses in the package: $placeholders"
# Depends: what the programs link (from dpkg-shlibdeps) and the platform
# plugins, which nothing links but without which no window opens.
depends=$(field Depends)
for package in qt6-qpa-plugins libqt6widgets6 'libicu[0-9]+' 'libc6 \(>='; do
  grep -qE "(^|, )$package" <<<"$depends" || fail "Depends lacks $package: $depends"
done

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
while read -r file; do
  [ -n "$file" ] || continue
  grep -qx "\./usr/$file" <<<"$contents" || fail "the package lacks /usr/$file"
done <"$list"
# Nothing of the build (libraries, headers, tests) leaks into the package.
allowed='^\./(usr/(bin/.*|share/((applications|metainfo|icons|man|doc|bash-completion|zsh|fish)/.*)?)?)?$'
strays=$(grep -vE "$allowed" <<<"$contents" || true)
[ -z "$strays" ] || fail "unexpected files in the package: $strays"
echo "built and checked $(basename "$deb")"
