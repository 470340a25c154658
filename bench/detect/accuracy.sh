#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The detector's accuracy table: extracts the translations installed packages
# ship (simplified Chinese from zh_CN, traditional from zh_TW, Japanese, Korean,
# and the English originals) and the manual pages of manpages-zh, -fr and -de
# (installed by scripts/install-deps.sh --texts), then lets detect_accuracy
# write SAMPLES samples per encoding and length and detect them, and
# detect_hard_cases convert the hard cases.
#
#     bench/detect/accuracy.sh [SAMPLES]     (default 200 per cell)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
tool="${VELLORAN_DETECT_ACCURACY:-$root/build/release/bench/detect/detect_accuracy}"
hard="${VELLORAN_DETECT_HARD_CASES:-$(dirname "$tool")/detect_hard_cases}"
work="${VELLORAN_BENCH_WORK:-/tmp}"
[ -x "$tool" ] || { echo "build it first: cmake --preset release && cmake --build --preset release --target detect_accuracy" >&2; exit 1; }

# VELLORAN_DETECT_TEXTS names a folder of texts extracted before, to compare
# two builds on the same samples after packages were installed or removed.
texts="${VELLORAN_DETECT_TEXTS:-$work/velloran-texts}"
if [[ -z "${VELLORAN_DETECT_TEXTS:-}" ]]; then
  mkdir -p "$texts"
  for locale in zh_CN zh_TW ja ko; do
    python3 "$here/extract_text.py" "$locale" "$texts/$locale.txt"
  done
  python3 "$here/extract_text.py" zh_CN "$texts/en.txt" --originals
  "$root/scripts/install-deps.sh" --texts
  for locale in zh_CN zh_TW fr de; do
    python3 "$here/extract_man.py" "$locale" "$texts/man-$locale.txt"
  done
fi
"$tool" "$texts" "${1:-200}" "$work"
if [[ -x "$hard" ]]; then
  echo
  "$hard" "$texts" "${1:-200}" "$work"
fi
