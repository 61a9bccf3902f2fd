#!/usr/bin/env bash
# Renders the application icon to the PNG sizes the desktop looks for.
# The PNGs are committed, so a build needs no SVG renderer; run this after
# changing the SVG (rsvg-convert, Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for size in 48 128 256; do
  rsvg-convert -w "$size" -h "$size" org.vantrel.Vantrel.svg -o "org.vantrel.Vantrel-$size.png"
done
