#!/usr/bin/env bash
# The commissioning report's cost: a 1-hour and a 7-day capture at 50 hops
# per second replayed plain and with --link-report, side by side, and the
# page's size, with four 1600-px photos where the build embeds photos.
# Targets: the 1-hour report in under 2 s; the 7-day one in under 1.5 x
# its plain replay; the page under 3 MB.
#
#   bench/link_report_speed.sh [BUILD_DIR] [DAYS]   (default: build, 7; Release gives the figures)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
days=${2:-7}
sim=$build/tools/sim/ptpdiag-sim
diag=$build/src/ptpdiag
for exe in "$sim" "$diag"; do
  [[ -x $exe ]] || { echo "link_report_speed: $exe not built" >&2; exit 2; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

seconds_of() {
  local start end
  start=$(date +%s.%N)
  "$@"
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.2f", b - a }'
}

# measure NAME SECONDS_SIMULATED
measure() {
  local name=$1 seconds=$2 capture=$tmp/$1.cap.gz
  "$sim" --out capture --seconds "$seconds" --rate 50 --seed 6 --file "$capture"
  local plain report size
  plain=$(seconds_of "$diag" --headless --replay "$capture" --report "$tmp/r.json")
  report=$(seconds_of "$diag" --headless --replay "$capture" --link-report "$tmp/r.html" \
    --report-field "Site A=North mast" --report-field "Site B=South mast")
  size=$(stat -c %s "$tmp/r.html")
  awk -v n="$name" -v p="$plain" -v r="$report" -v s="$size" \
    'BEGIN { printf "%-8s plain replay %7.2f s   with the report %7.2f s   ratio %.2f   page %.0f KB\n", n, p, r, r / p, s / 1024 }'
}

measure 1-hour 3600
measure "${days}-day" $((days * 86400))
