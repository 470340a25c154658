#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a fresh DESTDIR and checks that every file a desktop
# needs is there: install_tree.sh <build dir> <destdir> <prefix> <file list> <version> <date>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
build=$1 destdir=$2 prefix=$3 list=$4 version=$5 date=$6

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

# Both manual pages carry the version and the date of its changelog entry,
# and point to each other and to the other converters.
for page in velloran velloran-cli; do
  text=$(zcat "$root/share/man/man1/$page.1.gz")
  grep -q "^\.TH VELLORAN\(\\\\-CLI\)\? 1 \"$date\" \"[^\"]*$version\"" <<<"$text" ||
    fail "the manual page $page(1) does not carry version $version of $date: $(grep '^\.TH' <<<"$text")"
  see_also=$(sed -n '/^\.SH SEE ALSO/,$p' <<<"$text")
  for other in velloran velloran\\-cli iconv uconv; do
    [ "$other" = "${page//-/\\-}" ] && continue
    grep -qxF ".BR $other (1)" <<<"${see_also//,/}" || fail "$page(1) does not refer to $other(1)"
  done
done
zcat "$root/share/doc/velloran/changelog.gz" | head -n1 | grep -qx "velloran ($version) unstable; urgency=medium" ||
  fail "the changelog does not start with version $version"
echo "installed into $root: $(find "$root" -type f | wc -l) files"
