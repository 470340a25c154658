#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots of real use under Xvfb, with a CJK font: the
# window with a filled list (docs/screenshot.png), the progress dialog of a
# long run (docs/screenshot-progress.png) and the report of a run with
# failures (docs/screenshot-report.png).
#   scripts/screenshot.sh [preset]     (default: dev)
# The long run converts one large file; on a fast build raise BIG_MB.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-dev}
big_mb=${BIG_MB:-300}
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target screenshot_driver
driver=build/$preset/tests/package/screenshot_driver

# A folder of novels in GB18030, as a user might have it, with Chinese names.
# A short fixed folder, since the paths show in the pictures.
work=/tmp/示例
mkdir "$work" || { echo "$work exists: remove it first"; exit 1; }
trap 'rm -rf "$work"' EXIT
books=$work/小说
mkdir -p "$books" "$work/UTF-8"
gb() { iconv -f UTF-8 -t GB18030 >"$books/$1"; }
printf '第一章 起程\n天色微明，他收拾行装，踏上了去往南方的路。\n' | gb '第一章 起程.txt'
printf '第二章 江上\n船行三日，两岸青山渐远，江面越来越宽。\n' | gb '第二章 江上.txt'
# The large file: one chunk of about 1 MB, repeated.
printf '%.0s夜深了，窗外的雨还在下，灯下的人仍在读那封旧信。\n' $(seq 21400) |
  iconv -f UTF-8 -t GB18030 >"$work/chunk"
for _ in $(seq "$big_mb"); do cat "$work/chunk"; done >"$books/全集.txt"
printf '第三章 归途\n' | gb '第三章 归途.txt'
printf '\xff\xfe' >>"$books/第三章 归途.txt"        # bytes no GB18030 text has
printf '后记\n' | gb 后记.txt

# The large file last: the progress dialog names the file started last.
files=("$books/序言.txt"  # never there
       "$books/第一章 起程.txt" "$books/第二章 江上.txt" "$books/第三章 归途.txt"
       "$books/后记.txt" "$books/全集.txt")

xvfb-run -a -s "-screen 0 1024x768x24" env -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 \
  "$driver" docs "$work/UTF-8" "${files[@]}"
echo "wrote docs/screenshot.png docs/screenshot-progress.png docs/screenshot-report.png"
