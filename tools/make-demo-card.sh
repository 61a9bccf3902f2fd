#!/usr/bin/env bash
# Makes the demo memory card: two drives through central Paris as front and
# rear one-minute recordings (AVI, MOV and data-track MP4) with real video,
# GPS and G-sensor data, a few locked event recordings.
# Usage: tools/make-demo-card.sh OUTDIR
# Needs vantrel-gen from the build (${VANTREL_BUILD_DIR:-build}) and ffmpeg.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="${1:?usage: make-demo-card.sh OUTDIR}"
build="${VANTREL_BUILD_DIR:-$root/build}"
gen="$build/tools/recgen/vantrel-gen"

if [ ! -x "$gen" ] && [ -f "$build/build.ninja" -o -f "$build/Makefile" ]; then
  cmake --build "$build" --target vantrel-gen >/dev/null
fi
if [ ! -x "$gen" ]; then
  echo "make-demo-card: $gen not found; run scripts/setup.sh first" >&2
  exit 1
fi
if ! command -v ffmpeg >/dev/null; then
  echo "make-demo-card: the ffmpeg command is needed" >&2
  exit 1
fi

# Built beside the target and moved into place, so a half-made card never
# looks finished.
parent=$(dirname "$out")
mkdir -p "$parent"
tmp=$(mktemp -d "$parent/.demo-card.XXXXXX")
# A trap that ends in a failed test would become the exit status.
cleanup() { if [ -d "$tmp" ]; then chmod -R u+w "$tmp"; rm -rf "$tmp"; fi; }
trap cleanup EXIT
"$gen" demo "$tmp" --waypoints "$root/tools/demo/waypoints.txt"
if [ -e "$out" ]; then
  chmod -R u+w "$out"
  rm -rf "$out"
fi
mv "$tmp" "$out"
chmod 755 "$out"
echo "make-demo-card: $(find "$out" -type f | wc -l) recordings, $(du -sh "$out" | cut -f1) in $out"
