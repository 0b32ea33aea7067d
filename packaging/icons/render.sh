#!/bin/sh
# Renders the icon's PNG sizes for the icon theme from rosterly.svg (needs rsvg-convert, from
# librsvg2-bin). Run from anywhere; commit the PNG files it writes.
set -eu
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" rosterly.svg -o "rosterly-$size.png"
done
