#!/usr/bin/env bash
# Every benchmark in one run, figures on stdout (Markdown tables and
# key=value lines). Build first (VANTREL_BENCH=ON, the default).
#   bench/run.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
"$root/bench/card/bench_card.sh" -b "$build"
echo
echo "## Loading one recording and following playback"
echo
"$build/bench/telemetry/bench_telemetry" 2>/dev/null
echo
echo "## Driving events"
echo
"$root/bench/events/bench_events.sh" -b "$build"
"$build/bench/events/bench_events" 2>/dev/null
echo
echo "## Double-click to first picture, one-hour route on the map"
echo
"$root/bench/gui/bench_gui.sh" "$build"
