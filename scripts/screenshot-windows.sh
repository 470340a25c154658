#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The README's screenshot of velloran.exe under wine64 (docs/screenshot-windows.png):
# the window with a filled list, as scripts/screenshot.sh takes it on Linux,
# drawn by Qt's Windows platform plugin with the fonts wine offers. Needs the
# `windows` build (scripts/windows-test or the windows presets).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
cmake --build --preset windows --target screenshot_driver
driver=build/windows/tests/screenshot_driver.exe

work=/tmp/示例
mkdir "$work" || { echo "$work exists: remove it first"; exit 1; }
trap 'rm -rf "$work"' EXIT
books=$work/小说
mkdir -p "$books" "$work/UTF-8" "$work/shots"
gb() { iconv -f UTF-8 -t GB18030 >"$books/$1"; }
printf '第一章 起程\n天色微明，他收拾行装，踏上了去往南方的路。\n' | gb '第一章 起程.txt'
printf '第二章 江上\n船行三日，两岸青山渐远，江面越来越宽。\n' | gb '第二章 江上.txt'
printf '第三章 归途\n' | gb '第三章 归途.txt'
printf '后记\n' | gb 后记.txt

# A wine prefix of its own, whose Chinese fonts are the system's CJK font
# under the names Qt asks Windows for.
export VELLORAN_WINEPREFIX=$work/wine
scripts/wine-run reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'Microsoft YaHei' /d 'WenQuanYi Zen Hei' /f >/dev/null
scripts/wine-run reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v SimSun /d 'WenQuanYi Zen Hei' /f >/dev/null

# The driver saves the window first, then runs the conversion: the first
# picture is the one wanted.
files=("$books/第一章 起程.txt" "$books/第二章 江上.txt" "$books/第三章 归途.txt" "$books/后记.txt")
win() { echo "Z:${1//\//\\}"; }
args=()
for f in "${files[@]}"; do args+=("$(win "$f")"); done
timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" scripts/wine-run "$driver" \
  "$(win "$work/shots")" "$(win "$work/UTF-8")" "${args[@]}" || true
cp "$work/shots/screenshot.png" docs/screenshot-windows.png
echo "wrote docs/screenshot-windows.png"
