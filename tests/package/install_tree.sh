#!/usr/bin/env bash
# Installs the build into a fresh DESTDIR and checks that every file a desktop
# needs is there: install_tree.sh <build dir> <destdir> <prefix> <file list> <version>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$1 destdir=$2 prefix=$3 list=$4 version=$5

rm -rf "$destdir"
DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >/dev/null
root=$destdir$prefix

while read -r file; do
  [ -n "$file" ] || continue
  [ -s "$root/$file" ] || fail "not installed: $prefix/$file"
done <"$list"
[ -x "$root/bin/velloran" ] || fail "$prefix/bin/velloran is not executable"

# Each PNG has the size its folder names, or the desktop scales it blurred.
for png in "$root"/share/icons/hicolor/*x*/apps/*.png; do
  size=$(basename "$(dirname "$(dirname "$png")")")
  file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not ${size}: $(file -b "$png")"
done

zcat "$root/share/man/man1/velloran.1.gz" | grep -q "^\.TH VELLORAN 1 .*\"Velloran $version\"" ||
  fail "the manual page does not carry version $version"
echo "installed into $root: $(find "$root" -type f | wc -l) files"
