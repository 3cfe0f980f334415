#!/usr/bin/env bash
# Draws the application icon's PNG sizes from the SVG (run again after
# changing it; needs rsvg-convert from librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256 512; do
  rsvg-convert -w "$size" -h "$size" org.zentrope.Zentrope.svg -o "org.zentrope.Zentrope-$size.png"
done
