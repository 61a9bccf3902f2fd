#!/usr/bin/env bash
# Driving events of a card: `vantrel-cli events --json` over a generated
# card of N one-minute recordings (MOV, AVI and data-track MP4 in turn,
# 150 MB apparent size each, the card of bench_card.sh), from the page
# cache, beside `vantrel-cli scan` of the same card.
#
#   bench/events/bench_events.sh [-b BUILD_DIR] [-w WORK_DIR] [-n "1000"] [-r RUNS]
#
#   -b  build tree with vantrel-cli, vantrel-bench-card, vantrel-bench-measure
#   -w  where the cards are kept (shared with bench_card.sh, made once)
#   -n  card sizes
#   -r  runs per command; the median is reported
#
# Prints a Markdown table. The card's recordings are calm drives, so every
# event found there is a false alarm.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="$root/build"
work="${TMPDIR:-/tmp}/vantrel-bench-card"
sizes="1000"
runs=5
while getopts "b:w:n:r:" opt; do
  case $opt in
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    n) sizes=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) sed -n 2,15p "$0"; exit 2 ;;
  esac
done
cli="$build/cli/vantrel-cli"
maker="$build/bench/card/vantrel-bench-card"
measure="$build/bench/card/vantrel-bench-measure"
for tool in "$cli" "$maker" "$measure"; do
  [ -x "$tool" ] || { echo "missing $tool (build the benchmarks first)" >&2; exit 1; }
done
mkdir -p "$work"

field() { sed -n "s/.*\b$1=\([0-9]*\).*/\1/p" <<<"$2"; }
run() {  # run OUTFILE COMMAND... ; prints the measure line
  local out=$1; shift
  local f="$work/.measure-events"
  rm -f "$f"
  "$measure" -o "$f" "$@" >"$out" 2>/dev/null || true
  cat "$f"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

card() {  # the same card bench_card.sh makes
  local n=$1 dir="$work/card-$1-mov-avi-mp4data"
  if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir"
    "$maker" "$dir" --count "$n" --size $((150 * 1024 * 1024)) --containers mov,avi,mp4data >/dev/null
    touch "$dir/.complete"
  fi
  echo "$dir"
}

# measure N COMMAND... -> "wall_ms cpu_ms rchar syscr maxrss_kb" (median wall)
measure_cmd() {
  local out=$1; shift
  local walls=() line=""
  run /dev/null "$@" >/dev/null  # fills the page cache
  for ((i = 0; i < runs; i++)); do
    line=$(run "$out" "$@")
    walls+=("$(field wall_ms "$line")")
  done
  echo "$(printf '%s\n' "${walls[@]}" | median) $(field cpu_ms "$line") $(field rchar "$line") $(field syscr "$line") $(field maxrss_kb "$line")"
}

echo "## Driving events of a card (page cache warm, median of $runs runs)"
echo
echo "| recordings | command | ms | ms / recording | CPU ms | KiB read / recording | reads / recording | peak MiB | events found |"
echo "|---:|---|---:|---:|---:|---:|---:|---:|---:|"
for n in $sizes; do
  dir=$(card "$n")
  for cmd in scan events; do
    args=("$cli" "$cmd" "$dir")
    [ "$cmd" = events ] && args=("$cli" events --json "$dir")
    read -r wall cpu rchar syscr rss < <(measure_cmd "$work/$cmd-$n.out" "${args[@]}")
    found="-"
    [ "$cmd" = events ] && found=$(grep -c '"path":' "$work/$cmd-$n.out" || true)
    awk -v n="$n" -v c="$cmd" -v w="$wall" -v u="$cpu" -v b="$rchar" -v r="$syscr" -v m="$rss" -v f="$found" \
      'BEGIN {printf "| %d | %s | %d | %.3f | %d | %.1f | %.0f | %.1f | %s |\n", n, c, w, w / n, u, b / n / 1024, r / n, m / 1024, f}'
  done
done
