#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Validates the installed menu entry: check_desktop_entry.sh <file.desktop>
set -euo pipefail
source "$(dirname "$0")/lib.sh"
entry=$1
need_tool desktop-file-validate

desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
# The keys a menu shows: the name, in Chinese too, and where it is filed.
grep -qx 'Name=Velloran' "$entry" || fail "Name is not Velloran"
grep -qx 'Categories=Utility;TextTools;' "$entry" || fail "Categories are not Utility;TextTools;"
for key in 'Name\[zh_CN\]' 'Comment\[zh_CN\]'; do
  LC_ALL=C.UTF-8 grep -qP "^$key=.*\p{Han}" "$entry" || fail "$key has no Chinese text"
done
exec_line=$(grep '^Exec=' "$entry")
[ "$exec_line" = "Exec=velloran" ] || fail "the program takes no arguments, yet: $exec_line"
echo "valid: $entry"
