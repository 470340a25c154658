#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the real program in a real X server, finds its window by its title,
# closes it and expects a clean exit.
set -euo pipefail
binary=$1
closewindow=$2

# The server picks a free display itself and says which (-displayfd): two
# servers started at once, by two builds on one machine, never take the same
# one, as `xvfb-run -a`, which looks for a free one first, can.
display_file=$(mktemp)
server=""
cleanup() {
  if [ -n "$server" ]; then
    kill "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
  fi
  rm -f "$display_file"
}
trap cleanup EXIT
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$display_file" 2>/dev/null &
server=$!
for _ in $(seq 300); do
  [ -s "$display_file" ] && break
  sleep 0.1
done
if ! [ -s "$display_file" ]; then
  echo "Xvfb did not start"; exit 1
fi
export DISPLAY=":$(head -n1 "$display_file")"
unset QT_QPA_PLATFORM

"$binary" &
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
"$closewindow" "$window"
for _ in $(seq 300); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "the program did not end when its window was closed"; kill "$pid"; exit 1
fi
wait "$pid"
echo "exit code 0"
