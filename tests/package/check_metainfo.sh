#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the installed AppStream metainfo together with the menu entry and
# icons it points to: check_metainfo.sh <installed prefix> <app id> <version>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
root=$1 id=$2 version=$3
need_tool appstreamcli
metainfo=$root/share/metainfo/$id.metainfo.xml

# With the network checks: the metainfo holds no address (no URL that could
# not be reached), so they have nothing to fetch.
appstreamcli validate --explain "$metainfo" || fail "appstreamcli rejects $metainfo"
appstreamcli validate-tree "$root" || fail "appstreamcli rejects the install tree"
grep -q 'https\?://' "$metainfo" && fail "$metainfo holds an address"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
  fail "$metainfo does not name the licence GPL-3.0-or-later"
grep -q "<release version=\"$version\"" "$metainfo" || fail "no release $version in $metainfo"
LC_ALL=C.UTF-8 grep -qP '<summary xml:lang="zh_CN">\p{Han}' "$metainfo" || fail "no Chinese summary in $metainfo"
grep -q '<p xml:lang="zh_CN">' "$metainfo" || fail "no Chinese description in $metainfo"
echo "valid: $metainfo"
