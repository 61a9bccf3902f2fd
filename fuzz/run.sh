#!/usr/bin/env bash
# Builds the fuzz targets into build-fuzz/ (clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each one for SECONDS (default 600;
# --smoke: 30). Two targets run at a time (VANTREL_FUZZ_JOBS to change).
# Corpora grow in build-fuzz/corpus/<target>; crashes, leaks, timeouts and
# out-of-memory inputs land in build-fuzz/artifacts/<target>/ and make the
# script fail. Logs: build-fuzz/logs/<target>.log.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${VANTREL_FUZZ_DIR:-$root/build-fuzz}"
seconds=600
targets=()
for arg in "$@"; do
  case "$arg" in
    --smoke) seconds=30 ;;
    fuzz_*) targets+=("$arg") ;;
    [0-9]*) seconds="$arg" ;;
    *) echo "usage: fuzz/run.sh [--smoke] [SECONDS] [fuzz_TARGET...]" >&2; exit 2 ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_box fuzz_avi fuzz_mp4 fuzz_ini fuzz_scan_name fuzz_gpmf fuzz_freegps fuzz_sidecar)
jobs="${VANTREL_FUZZ_JOBS:-2}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DVANTREL_FUZZ=ON -DVANTREL_GUI=OFF -DVANTREL_BENCH=OFF -DVANTREL_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target fuzzers vantrel-fuzz-seeds

"$build/fuzz/seeds/vantrel-fuzz-seeds" "$build/seeds" || true
mkdir -p "$build/logs"

# Every hostile file the tests keep is a starting point too.
regressions="$root/tests/hostile/regressions"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:allocator_may_return_null=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

run_one() {
  local target=$1 name=${1#fuzz_}
  local corpus="$build/corpus/$name" artifacts="$build/artifacts/$name/"
  # Targets without generated seeds start from an empty seed folder.
  mkdir -p "$corpus" "$artifacts" "$build/seeds/$name"
  local dirs=("$corpus" "$build/seeds/$name")
  [ -d "$regressions/$name" ] && dirs+=("$regressions/$name")
  if "$build/fuzz/targets/$target" "${dirs[@]}" -max_total_time="$seconds" \
       -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 \
       -artifact_prefix="$artifacts" >"$build/logs/$name.log" 2>&1; then
    echo "$target: ok, $(grep -m1 -o 'number_of_executed_units: *[0-9]*' "$build/logs/$name.log" \
      | grep -o '[0-9]*$') runs in ${seconds}s"
  else
    echo "$target: FAILED (see $build/logs/$name.log, inputs in $artifacts)"
    grep -m3 -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$build/logs/$name.log" || true
    return 1
  fi
}

status=0
pids=()
for target in "${targets[@]}"; do
  run_one "$target" &
  pids+=($!)
  if [ ${#pids[@]} -ge "$jobs" ]; then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
exit $status
