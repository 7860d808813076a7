#!/usr/bin/env bash
# Renders the application icon's PNG sizes from velmora.svg into <size>/velmora.png beside it.
# Needs rsvg-convert (Debian package librsvg2-bin); falls back to ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    mkdir -p "$size"
    if command -v rsvg-convert >/dev/null; then
        rsvg-convert -w "$size" -h "$size" -o "$size/velmora.png" velmora.svg
    else
        /usr/bin/convert -background none -density 384 velmora.svg -resize "${size}x${size}" \
            "$size/velmora.png"
    fi
done
