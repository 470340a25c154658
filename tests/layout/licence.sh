#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every file of code carries its licence in its first lines, so that a file
# copied out of the tree still says under which terms. Test fixtures are
# data, not code, and are left as they are.
#
#     tests/layout/licence.sh SOURCE_DIR
set -euo pipefail
cd "$1"
tag='SPDX-License-Identifier: GPL-3.0-or-later'

list_files() {
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        git ls-files
    else
        find . -type f -not -path './build/*' -not -path './.git/*' | sed 's|^\./||'
    fi
}

missing=0
while IFS= read -r file; do
    case "$file" in
    */fixtures/*|*installed_files.txt.in) continue ;;
    *.cpp|*.h|*.in|*.py|*.sh|*.cmake|*/CMakeLists.txt|CMakeLists.txt|*.ui|*.svg|*.desktop|scripts/*) ;;
    *) continue ;;
    esac
    [ -f "$file" ] || continue
    if ! head -n 3 "$file" | grep -qF "$tag"; then
        echo "no licence line in the first three lines: $file"
        missing=$((missing + 1))
    fi
done < <(list_files)
[ "$missing" -eq 0 ] || { echo "$missing files without '$tag'"; exit 1; }
