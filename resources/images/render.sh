#!/usr/bin/env bash
# Renders every SVG source under svg/ to a PNG of the same name under png/,
# at the size the SVG declares, and to "<name>@2x.png" at twice that size
# for screens of device pixel ratio 2. Needs rsvg-convert (Debian:
# librsvg2-bin).
# The PNGs are committed; run this after changing an SVG.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$here/png"
for src in "$here"/svg/*.svg; do
  name=$(basename "$src" .svg)
  rsvg-convert --format=png --output="$here/png/$name.png" "$src"
  rsvg-convert --format=png --zoom=2 --output="$here/png/$name@2x.png" "$src"
done
echo "rendered $(ls "$here"/svg/*.svg | wc -l) images"
