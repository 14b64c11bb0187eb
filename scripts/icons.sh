#!/usr/bin/env bash
# Renders the icon's PNG sizes for the hicolor theme from dist/icons/quorlin.svg.
# Run it after changing the SVG and commit the pictures (the build does not
# need an SVG renderer).
set -euo pipefail
cd "$(dirname "$0")/.."
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" dist/icons/quorlin.svg -o "dist/icons/quorlin-$size.png"
done
