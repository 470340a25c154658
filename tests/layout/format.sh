#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every C++ file is as clang-format writes it (.clang-format at the top), so
# that the style holds without anyone having to look for it. Prints the files
# that are not and how to mend them.
#
#     tests/layout/format.sh SOURCE_DIR [CLANG_FORMAT]
set -euo pipefail
cd "$1"
clang_format=${2:-clang-format}

list_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files -- '*.cpp' '*.h'
    else
        find . -type f \( -name '*.cpp' -o -name '*.h' \) -not -path './build/*' | sed 's|^\./||'
    fi
}

unformatted=0
while IFS= read -r file; do
    case "$file" in */fixtures/*) continue ;; esac
    [ -f "$file" ] || continue
    if ! "$clang_format" --dry-run --Werror "$file" >/dev/null 2>&1; then
        echo "not formatted: $file"
        unformatted=$((unformatted + 1))
    fi
done < <(list_files)
[ "$unformatted" -eq 0 ] || {
    echo "$unformatted files differ from clang-format's layout; run: clang-format -i FILE"
    exit 1
}
