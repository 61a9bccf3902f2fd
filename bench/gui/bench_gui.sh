#!/usr/bin/env bash
# Runs bench_gui under its own Xvfb display and prints its figures.
#   bench/gui/bench_gui.sh [BUILD_DIR] [drive]
# "drive" measures only the boundaries of a two-camera drive.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build}
shift || true
export QTWEBENGINE_DISABLE_SANDBOX=1 QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu
exec xvfb-run -a -s "-screen 0 1280x800x24" "$build/bench/gui/bench_gui" "$@" 2>${BENCH_GUI_STDERR:-/dev/null}
