#!/usr/bin/env bash
# Replay time and peak memory for long captures: 24 simulated hours and 7
# days at 50 hops per second, plain and gzip-compressed. Replay reads the
# capture as it goes, so memory must not grow with its length. Targets:
# under 40 MB for both, and under 5 s for the 24-hour one.
#
#   bench/replay_memory.sh [BUILD_DIR]     (default: build; Release gives the figures)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
sim=$build/tools/sim/ptpdiag-sim
diag=$build/src/ptpdiag
for exe in "$sim" "$diag"; do
  if [[ ! -x $exe ]]; then
    echo "replay_memory: $exe not built (build the ptpdiag and ptpdiag-sim targets)" >&2
    exit 2
  fi
done
[[ -x /usr/bin/time ]] || { echo "replay_memory: needs /usr/bin/time (package time)" >&2; exit 2; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# replay NAME SECONDS_SIMULATED TIME_TARGET_S
replay() {
  local name=$1 seconds=$2 target=$3 capture=$tmp/$1.cap
  "$sim" --out capture --seconds "$seconds" --rate 50 --seed 6 --file "$capture"
  gzip -k -1 "$capture"
  for file in "$capture" "$capture.gz"; do
    /usr/bin/time -v -o "$tmp/time.txt" "$diag" --headless --replay "$file" --report "$tmp/r.json"
    [[ -s $tmp/r.json ]] || { echo "replay_memory: no report for $file" >&2; exit 1; }
    local elapsed rss
    elapsed=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$tmp/time.txt" |
      awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }')
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$tmp/time.txt")
    local memory=$((rss / 1024)) verdict="met"
    [[ $memory -lt 40 ]] || verdict="MISSED"
    if [[ -n $target ]] && awk -v s="$elapsed" -v t="$target" 'BEGIN { exit !(s >= t) }'; then
      verdict="MISSED"
    fi
    printf 'replay_memory: %-9s %s %5d MiB on disk: %6.2f s, peak RSS %3d MiB (targets: < 40 MiB%s): %s\n' \
      "$name" "$(basename "$file" | sed 's/.*\.//')" "$(($(stat -c %s "$file") / 1048576))" \
      "$elapsed" "$memory" "${target:+, < $target s}" "$verdict"
    rm -f "$tmp/r.json"
  done
  rm -f "$capture" "$capture.gz"
}

replay 24-hour 86400 5
replay 7-day 604800 ""
