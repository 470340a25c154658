#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the PNG sizes of the icon from its SVG. The PNGs are committed, so
# only someone who changes the SVG runs this (needs rsvg-convert, librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/hicolor"
svg=scalable/apps/org.velloran.Velloran.svg
for size in 16 22 24 32 48 64 128 256 512; do
  mkdir -p "${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$svg" -o "${size}x${size}/apps/org.velloran.Velloran.png"
done
