#!/usr/bin/env bash
# Times a headless replay of six simulated hours (one frame every 20 ms,
# 1.08 million frames) with a JSON report at the end. Target: under 5 s.
#
#   bench/replay_6h.sh [BUILD_DIR]     (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
sim=$build/tools/sim/ptpdiag-sim
diag=$build/src/ptpdiag
for exe in "$sim" "$diag"; do
  if [[ ! -x $exe ]]; then
    echo "replay_6h: $exe not built (build the ptpdiag and ptpdiag-sim targets)" >&2
    exit 2
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
capture=$tmp/6h.cap

t0=$(date +%s.%N)
"$sim" --out capture --seconds 21600 --rate 50 --seed 6 --file "$capture"
t1=$(date +%s.%N)
echo "replay_6h: generated $(grep -vc '^[#s]' "$capture") frames," \
  "$(($(stat -c %s "$capture") / 1048576)) MiB, in $(awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }') s"

cmd=("$diag" --headless --replay "$capture" --report "$tmp/r.json")
if [[ -x /usr/bin/time ]]; then
  /usr/bin/time -v -o "$tmp/time.txt" "${cmd[@]}"
  # "Elapsed (wall clock) time (h:mm:ss or m:ss): 0:03.21"
  elapsed=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$tmp/time.txt" |
    awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }')
  rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$tmp/time.txt")
  memory=", peak RSS $((rss / 1024)) MiB"
else
  TIMEFORMAT=%R
  elapsed=$( { time "${cmd[@]}" >/dev/null; } 2>&1 | tail -1)
  memory=""
fi
[[ -s $tmp/r.json ]] || { echo "replay_6h: no report written" >&2; exit 1; }

verdict=$(awk -v s="$elapsed" 'BEGIN { print (s < 5.0) ? "met" : "MISSED" }')
echo "replay_6h: replay with report $elapsed s$memory (target < 5 s: $verdict)"
