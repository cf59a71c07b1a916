#!/usr/bin/env bash
# Makes the README's screenshots again, headless: the start window and the four
# screens of the real program over a small register made for them.
#   tools/screenshots.sh [BUILD_FOLDER [OUTPUT_FOLDER]]   (build, docs/screenshots)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
out="${2:-docs/screenshots}"
cmake --build "$build" --target screenshots
# One look on any machine: the style and the font that a fresh Debian has.
QT_QPA_PLATFORM=offscreen QT_STYLE_OVERRIDE=Fusion LANG=C.UTF-8 \
    "$build/tools/screenshots" "$out"
for screen in start persons offences accomplices articles; do
    [ -s "$out/$screen.png" ] || { echo "no screenshot of $screen in $out" >&2; exit 1; }
done
echo "screenshots in $out"
