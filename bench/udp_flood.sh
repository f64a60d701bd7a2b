#!/usr/bin/env bash
# Frames decoded per second over UDP while the simulated radio floods the
# link at 2000 hops/s for 5 s, then sends 50 hops/s for 5 s: the program
# decodes at its capacity during the flood and every frame from a second
# after it. Counted from a recording of the session (one frame a datagram).
#
#   bench/udp_flood.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
ptpdiag=$build/src/ptpdiag
sim=$build/tools/sim/ptpdiag-sim
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
port=$((30000 + $$ % 20000))
now_ms() { echo $(($(date +%s%N) / 1000000)); }

start=$(now_ms)
"$ptpdiag" --headless --seconds 12 --udp --udp-port "$port" --record "$work/flood.cap" \
  --report "$work/flood.json" 2>"$work/err" &
session=$!
sleep 0.5
flood_from=$(($(now_ms) - start))
"$sim" --out udp --to "127.0.0.1:$port" --rate 2000 --seconds 5 --seed 16 2>"$work/flood.sim"
flood_to=$(($(now_ms) - start))
"$sim" --out udp --to "127.0.0.1:$port" --rate 50 --seconds 5 --seed 17 2>"$work/calm.sim"
calm_to=$(($(now_ms) - start))
wait "$session"

echo "udp flood: 2000 hops/s from $flood_from to $flood_to ms, then 50 hops/s to $calm_to ms"
sed -n 's/^ptpdiag-sim: /  flood simulator: /p' "$work/flood.sim"
sed -n 's/^ptpdiag-sim: /  calm simulator:  /p' "$work/calm.sim"
awk -v a="$flood_from" -v b="$flood_to" -v c="$calm_to" '
  $1 ~ /^[0-9]+$/ { frames[int($1 / 1000)] += (NF - 1) / 9 }
  END {
    for (s = 0; s * 1000 < c; s++) {
      phase = (s * 1000 + 500 < a) ? "before" : (s * 1000 < b) ? "flood" : "after"
      printf "  second %2d  %-6s  frames decoded %5d\n", s, phase, frames[s]
    }
  }' "$work/flood.cap"
echo "  link events: $(sed -n 's/^  "LinkEventCount": \([0-9]*\),$/\1/p' "$work/flood.json")" \
  "(the last of type $(sed -n 's/^  "LinkEventType": \([0-9]*\),$/\1/p' "$work/flood.json"):" \
  "datagrams dropped whole while the link queue was full)"
