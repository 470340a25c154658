#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Times findfiles against find(1) on a generated tree of 100,000 files in
# 1,000 directories (made in /tmp on the first run), and a drop of that tree
# on the window. Build the benchmark first:
#   cmake --preset release && cmake --build --preset release -j2
# Usage: bench/findfiles/run.sh [TREE]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="${BENCH_FINDFILES:-$here/../../build/release/bench/findfiles/bench_findfiles}"
tree="${1:-/tmp/velloran-bench-tree}"

if [[ ! -x "$bin" ]]; then
  echo "no benchmark binary at $bin; build the release preset first" >&2
  exit 1
fi

export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
export LC_ALL=C.UTF-8
"$bin" "$tree"
