#!/usr/bin/env bash
# Turns the bitmaps that the end-to-end scenarios captured into PNG files beside them.
set -euo pipefail
dir="$1"
convert=/usr/bin/convert
[ -x "$convert" ] || convert=$(command -v convert)
shopt -s nullglob
for bmp in "$dir"/*.bmp; do
  "$convert" "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
