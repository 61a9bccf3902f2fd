#!/usr/bin/env bash
# Builds VANTREL and starts the player on the bundled demo recordings
# (made on first use), or on the folder or file given as argument.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

target="${1:-}"
if [ -z "$target" ]; then
  if [ -x "$root/tools/make-demo-card.sh" ]; then
    [ -d "$root/demo/card" ] || "$root/tools/make-demo-card.sh" "$root/demo/card"
    target="$root/demo/card"
  fi
fi
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
# The video surfaces need X11 windows: under Wayland the player runs through XWayland.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
cd "$root"
if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display; starting under Xvfb"
  exec xvfb-run -a -s "-screen 0 1280x800x24" "$root/build/program/vantrel" ${target:+"$target"}
fi
exec "$root/build/program/vantrel" ${target:+"$target"}
