#!/usr/bin/env bash
# The detector's accuracy table: extracts the Chinese translations installed
# packages ship (simplified from zh_CN, traditional from zh_TW), then lets
# detect_accuracy write SAMPLES samples per encoding and length and detect them.
#
#     bench/detect/accuracy.sh [SAMPLES]     (default 200 per cell)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
tool="${VELLORAN_DETECT_ACCURACY:-$root/build/release/bench/detect/detect_accuracy}"
work="${VELLORAN_BENCH_WORK:-/tmp}"
[ -x "$tool" ] || { echo "build it first: cmake --preset release && cmake --build --preset release --target detect_accuracy" >&2; exit 1; }

python3 "$here/extract_text.py" zh_CN "$work/velloran-zh_CN.txt"
python3 "$here/extract_text.py" zh_TW "$work/velloran-zh_TW.txt"
"$tool" "$work/velloran-zh_CN.txt" "$work/velloran-zh_TW.txt" "${1:-200}" "$work"
