#!/usr/bin/env bash
# Renders the committed PNG sizes of the icon again after packaging/icons/zavoni.svg
# changes. Needs rsvg-convert (apt-get install librsvg2-bin); the build does not.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" zavoni.svg -o "zavoni-$size.png"
done
