#!/usr/bin/env bash
# Builds everything and runs every test suite: the normal build (all tests
# under one Xvfb display), its core suites again under two more time zones,
# then the core under AddressSanitizer and UndefinedBehaviorSanitizer, then a
# short run of each fuzz target. Ends with one line counting the tests of
# every ctest run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"

export QTWEBENGINE_DISABLE_SANDBOX=1
status=0
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

echo "== tests"
(cd "$root/build" && xvfb-run -a -s "-screen 0 1280x800x24" \
   ctest --output-on-failure -j 2 --timeout 600) 2>&1 | tee "$logs/tests.log" || status=1

# Recording times are local and the suites run under UTC: the core suites
# again east and west of it, so a time read as UTC where it is local (or
# the other way round) shows.
for zone in Asia/Tokyo America/New_York; do
  echo "== core tests, TZ=$zone"
  (cd "$root/build" && VANTREL_TEST_TZ=$zone ctest --output-on-failure -L core -j 2 --timeout 600) \
    2>&1 | tee "$logs/tests-${zone//\//-}.log" || status=1
done

if [ -x "$root/scripts/sanitize.sh" ] && [ "${VANTREL_SKIP_SANITIZE:-0}" != 1 ]; then
  echo "== sanitizer build"
  "$root/scripts/sanitize.sh" 2>&1 | tee "$logs/sanitize.log" || status=1
fi
fuzz_failed=0
if [ -x "$root/fuzz/run.sh" ] && [ "${VANTREL_SKIP_FUZZ:-0}" != 1 ]; then
  echo "== fuzz smoke run"
  "$root/fuzz/run.sh" --smoke || { status=1; fuzz_failed=1; }
fi

# ctest prints "N% tests passed, F tests failed out of T" per run.
passed=0
failed=0
for log in "$logs"/*.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -z "$line" ]; then
    failed=$((failed + 1))
    continue
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
done
failed=$((failed + fuzz_failed))
[ "$failed" -eq 0 ] || status=1
echo
echo "$passed passed, $failed failed"
exit $status
