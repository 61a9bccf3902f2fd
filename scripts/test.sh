#!/usr/bin/env bash
# Builds everything and runs every test suite: the normal build (all tests
# under one Xvfb display), then the core under AddressSanitizer and
# UndefinedBehaviorSanitizer, then a short run of each fuzz target.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

export QTWEBENGINE_DISABLE_SANDBOX=1
status=0

echo "== tests"
(cd "$root/build" && xvfb-run -a -s "-screen 0 1280x800x24" \
   ctest --output-on-failure -j 2 --timeout 600) || status=1

if [ -x "$root/scripts/sanitize.sh" ] && [ "${VANTREL_SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== sanitizer build"
  "$root/scripts/sanitize.sh" || status=1
fi
if [ -x "$root/fuzz/run.sh" ] && [ "${VANTREL_SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzz smoke run"
  "$root/fuzz/run.sh" --smoke || status=1
fi
exit $status
