#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program in a real X server, finds its window by its title,
# closes it and expects a clean exit.
set -euo pipefail
binary=$1
closewindow=$2

inner=$(mktemp)
trap 'rm -f "$inner"' EXIT
cat >"$inner" <<'INNER'
set -u
unset QT_QPA_PLATFORM
"$1" &
pid=$!
window=""
# Up to 30 s: a debug build starting beside other tests on a busy machine is slow.
for _ in $(seq 300); do
  window=$(xdotool search --name '^Velloran1\.1 By:Tamsrik$' 2>/dev/null | head -n1) && [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "window 'Velloran1.1 By:Tamsrik' did not appear"; kill "$pid"; exit 1
fi
"$2" "$window"
wait "$pid"
INNER
timeout 60 xvfb-run -a bash "$inner" "$binary" "$closewindow"
echo "exit code 0"
