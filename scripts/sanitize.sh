#!/usr/bin/env bash
# Builds the Qt-free core, its tools and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ and runs the core test suites.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_ASAN_DIR:-$root/build-asan}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVANTREL_GUI=OFF -DVANTREL_BENCH=OFF -DVANTREL_SANITIZE=ON >/dev/null
cmake --build "$build" -j "$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j 2 -L core --timeout 900
