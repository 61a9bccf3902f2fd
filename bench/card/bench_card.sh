#!/usr/bin/env bash
# Opening a card: `vantrel-cli scan` against `exiftool -ee -n` on generated
# cards of N one-minute recordings (MOV, AVI and data-track MP4 in turn,
# 150 MB apparent size each, video data as holes), from the page cache.
#
#   bench/card/bench_card.sh [-b BUILD_DIR] [-w WORK_DIR] [-n "100 1000 3000"]
#                            [-e "100 1000"] [-r RUNS]
#
#   -b  build tree with vantrel-cli, vantrel-bench-card, vantrel-bench-measure
#   -w  where the cards are kept (made once, reused; about 0.5 MB of disk
#       per recording)
#   -n  card sizes to scan
#   -e  card sizes on which ExifTool runs too (it takes about 0.2 s a file)
#   -r  scan runs per card; the median is reported
#
# Prints a Markdown table. Bytes and memory are net of a scan of an empty
# folder (the program's start-up), so they are the catalogue's own cost.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build="$root/build"
work="${TMPDIR:-/tmp}/vantrel-bench-card"
sizes="100 1000 3000"
exif_sizes="100 1000"
runs=5
while getopts "b:w:n:e:r:" opt; do
  case $opt in
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    n) sizes=$OPTARG ;;
    e) exif_sizes=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) sed -n 2,17p "$0"; exit 2 ;;
  esac
done
cli="$build/cli/vantrel-cli"
maker="$build/bench/card/vantrel-bench-card"
measure="$build/bench/card/vantrel-bench-measure"
for tool in "$cli" "$maker" "$measure"; do
  [ -x "$tool" ] || { echo "missing $tool (build the benchmarks first)" >&2; exit 1; }
done
size_bytes=$((150 * 1024 * 1024))
mkdir -p "$work"

# key=value figures of one measured run
field() { sed -n "s/.*\b$1=\([0-9]*\).*/\1/p" <<<"$2"; }
run() {  # run OUTFILE COMMAND... ; prints the measure line
  local out=$1; shift
  local f="$work/.measure"
  rm -f "$f"
  "$measure" -o "$f" "$@" >"$out" 2>/dev/null || true
  cat "$f"
}
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

card() {  # card N [CONTAINERS] -> path, made once
  local n=$1 kinds=${2:-mov,avi,mp4data}
  local dir="$work/card-$n-${kinds//,/-}"
  if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir"
    "$maker" "$dir" --count "$n" --size "$size_bytes" --containers "$kinds" >/dev/null
    touch "$dir/.complete"
  fi
  echo "$dir"
}

mkdir -p "$work/empty"
base=$(run /dev/null "$cli" scan "$work/empty")
base_rchar=$(field rchar "$base")
base_rss=$(field maxrss_kb "$base")

echo "## Opening a card (vantrel-cli scan, page cache warm, median of $runs runs)"
echo
echo "| recordings | scan ms | ms / recording | KiB read / recording | reads / recording | catalogue MiB | ExifTool ms / recording | ExifTool KiB read / recording | ExifTool / scan (time) | ExifTool / scan (bytes) |"
echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for n in $sizes; do
  dir=$(card "$n")
  run /dev/null "$cli" scan "$dir" >/dev/null  # fills the page cache
  walls=() ; line=""
  for ((i = 0; i < runs; i++)); do
    line=$(run "$work/scan-$n.txt" "$cli" scan "$dir")
    walls+=("$(field wall_ms "$line")")
  done
  wall=$(printf '%s\n' "${walls[@]}" | median)
  found=$(sed -n 's/^files: //p' "$work/scan-$n.txt")
  [ "$found" = "$n" ] || echo "warning: the scan listed $found of $n recordings" >&2
  rchar=$(( $(field rchar "$line") - base_rchar ))
  reads=$(( $(field syscr "$line") - $(field syscr "$base") ))
  rss=$(( $(field maxrss_kb "$line") - base_rss ))
  per_ms=$(awk -v w="$wall" -v n="$n" 'BEGIN {printf "%.3f", w / n}')
  per_kib=$(awk -v b="$rchar" -v n="$n" 'BEGIN {printf "%.1f", b / n / 1024}')
  per_reads=$(awk -v r="$reads" -v n="$n" 'BEGIN {printf "%.0f", r / n}')
  mib=$(awk -v k="$rss" 'BEGIN {printf "%.1f", k / 1024}')
  ex_ms="-" ex_kib="-" ratio_t="-" ratio_b="-"
  if [[ " $exif_sizes " == *" $n "* ]] && command -v exiftool >/dev/null; then
    ex_base=$(run /dev/null exiftool -ver)
    # ExifTool does not finish on the AVI files (its -ee pass over a large
    # movi list runs for minutes and grows past a gigabyte), so it gets the
    # MOV and MP4 files; the comparison is per recording.
    ex=$(run "$work/exif-$n.txt" exiftool -ee -n -q -q -r -ext mov -ext mp4 \
           -p '$FileName $GPSDateTime $GPSLatitude $GPSLongitude $GPSSpeed' "$dir")
    ex_files=$(find "$dir" -type f \( -name '*.MOV' -o -name '*.mp4' \) | wc -l)
    ex_rchar=$(( $(field rchar "$ex") - $(field rchar "$ex_base") ))
    ex_ms=$(awk -v w="$(field wall_ms "$ex")" -v n="$ex_files" 'BEGIN {printf "%.1f", w / n}')
    ex_kib=$(awk -v b="$ex_rchar" -v n="$ex_files" 'BEGIN {printf "%.0f", b / n / 1024}')
    ratio_t=$(awk -v a="$ex_ms" -v b="$per_ms" 'BEGIN {printf "%.0fx", a / b}')
    ratio_b=$(awk -v a="$ex_kib" -v b="$per_kib" 'BEGIN {printf "%.0fx", a / b}')
  fi
  echo "| $n | $wall | $per_ms | $per_kib | $per_reads | $mib | $ex_ms | $ex_kib | $ratio_t | $ratio_b |"
done

echo
echo "## Bytes read per recording by container (30 recordings of 150 MB each)"
echo
echo "| container | KiB read / recording | reads / recording | share of the file |"
echo "|---|---:|---:|---:|"
for kind in mov avi 3gp mp4data; do
  dir=$(card 30 "$kind")
  line=$(run /dev/null "$cli" scan "$dir")
  rchar=$(( $(field rchar "$line") - base_rchar ))
  reads=$(( $(field syscr "$line") - $(field syscr "$base") ))
  awk -v b="$rchar" -v r="$reads" -v s="$size_bytes" -v k="$kind" \
    'BEGIN {printf "| %s | %.1f | %.0f | %.4f %% |\n", k, b / 30 / 1024, r / 30, 100 * b / 30 / s}'
done

# Cold and warm on a card of data-track MP4 files (their telemetry is a
# track of packets spread through the file, the costliest kind to scan),
# against ExifTool. Cold: the page cache is dropped before each run (needs
# root; otherwise every run is warm and the table says so). The SD-card
# column estimates a card reader at 1.5 ms a read call: on a card, calls,
# not bytes, cost the time.
echo
echo "## Data-track MP4 card of 30 recordings, cold and warm (median of $runs runs)"
echo
echo "| program | cache | ms / recording | reads / recording | KiB read / recording | SD-card estimate ms / recording |"
echo "|---|---|---:|---:|---:|---:|"
dir=$(card 30 mp4data)
drop() { sync; echo 3 >/proc/sys/vm/drop_caches 2>/dev/null; }
can_drop=warm; [ -w /proc/sys/vm/drop_caches ] && can_drop=cold
ex_base=$(run /dev/null exiftool -ver 2>/dev/null || true)
cold_row() {  # cold_row NAME CACHE BASE_LINE COMMAND...
  local name=$1 cache=$2 base_line=$3; shift 3
  local walls=() line=""
  for ((i = 0; i < runs; i++)); do
    [ "$cache" = cold ] && drop
    line=$(run /dev/null "$@")
    walls+=("$(field wall_ms "$line")")
  done
  local wall; wall=$(printf '%s\n' "${walls[@]}" | median)
  local reads=$(( $(field syscr "$line") - $(field syscr "$base_line") ))
  local bytes=$(( $(field rchar "$line") - $(field rchar "$base_line") ))
  awk -v n="$name" -v c="$cache" -v w="$wall" -v r="$reads" -v b="$bytes" \
    'BEGIN {printf "| %s | %s | %.2f | %.1f | %.1f | %.1f |\n", n, c, w / 30, r / 30, b / 30 / 1024, r / 30 * 1.5}'
}
for cache in $can_drop warm; do
  cold_row "vantrel-cli scan" "$cache" "$base" "$cli" scan "$dir"
  if command -v exiftool >/dev/null; then
    cold_row "exiftool -ee -n" "$cache" "$ex_base" exiftool -ee -n -q -q -r -ext mp4 \
      -p '$FileName $GPSDateTime $GPSLatitude $GPSLongitude $GPSSpeed' "$dir"
  fi
done
