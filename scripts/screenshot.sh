#!/usr/bin/env bash
# Takes a screenshot of the real window under Xvfb: scripts/screenshot.sh <velloran binary> <out.png>
# Needs xwd (x11-apps) and ImageMagick besides what scripts/install-deps.sh installs.
set -euo pipefail
binary=$1 out=$2
xvfb-run -a -s "-screen 0 640x480x24" bash -c '
  unset QT_QPA_PLATFORM
  "$1" & pid=$!
  for _ in $(seq 100); do
    w=$(xdotool search --name "^Velloran1\.1 By:Tamsrik$" 2>/dev/null | head -n1) && [ -n "$w" ] && break
    sleep 0.1
  done
  sleep 1
  xwd -silent -id "$w" | /usr/bin/convert xwd:- "$2"
  kill "$pid"
' _ "$binary" "$out"
