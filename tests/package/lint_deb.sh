#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian package as a distribution's packager would: lintian with
# every tag shown, explained, and pedantic ones too. Errors and warnings fail;
# info, pedantic and experimental tags are reported only.
#   lint_deb.sh <dir holding the .deb> <version>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
dir=$1 version=$2
need_tool lintian
deb=$dir/velloran_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $deb: the package_deb test builds it"

lintian --fail-on error,warning --info --display-info --display-experimental \
  --pedantic --tag-display-limit 0 "$deb" || fail "lintian finds errors or warnings in $(basename "$deb")"
echo "lintian: no errors or warnings in $(basename "$deb")"
