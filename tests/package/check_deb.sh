#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks its name, its
# control fields and its contents: check_deb.sh <build dir> <version> <file list>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$1 version=$2 list=$3
need_tool dpkg-deb
need_tool dpkg-shlibdeps
need_tool file

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack failed"; }

deb=$out/velloran_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$out")"
dpkg-deb -f "$deb"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = velloran ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
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
