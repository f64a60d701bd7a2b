#!/usr/bin/env bash
# CPU time and peak memory of the whole program on live links, headless with
# screen 2 shown (it repaints every cycle that has frames), while the
# simulated radio streams over a pseudo-terminal, TCP and UDP on loopback;
# then idle; then the highest TCP and UDP rates that lose nothing, and the
# timer's lateness under a UDP flood.
#
#   bench/live_links.sh BUILD_DIR [SECONDS]     (default 20 s per run)
set -euo pipefail
build=$1
seconds=${2:-20}
ptpdiag=$build/src/ptpdiag
sim=$build/tools/sim/ptpdiag-sim
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
udp_port=$((30000 + $$ % 20000))

# Starts the simulator; `line` is where it streams, once it says so.
start_sim() {
  "$sim" "$@" >"$work/sim.out" 2>"$work/sim.err" &
  sim_pid=$!
  line=""
  for _ in $(seq 40); do
    if [ -s "$work/sim.out" ]; then line=$(head -1 "$work/sim.out"); return 0; fi
    sleep 0.05
  done
}

recorded_bytes() { grep -v '^#\|^start' "$1" | cut -d' ' -f2- | wc -w; }
json_number() { sed -n "s/^  \"$2\": \\(-\\{0,1\\}[0-9]*\\),\$/\\1/p" "$1"; }

# run LABEL PTPDIAG_LINK_ARGS...: one measured session.
run() {
  local label=$1
  shift
  rm -f "$work/rec.cap" "$work/r.json"
  local record=()
  [ $# -gt 0 ] && record=(--record "$work/rec.cap")
  /usr/bin/time -f "%U %S %M" -o "$work/time" "$ptpdiag" --headless --seconds "$seconds" \
    --screen 2 "${record[@]}" --report "$work/r.json" --tick-stats "$@" \
    2>"$work/err" || true
  read -r user sys rss <"$work/time" || { echo "$label: no timing: $(cat "$work/err")"; return; }
  local cpu
  cpu=$(awk -v u="$user" -v s="$sys" -v t="$seconds" 'BEGIN { printf "%.2f", 100 * (u + s) / t }')
  local got=0
  [ -f "$work/rec.cap" ] && got=$(recorded_bytes "$work/rec.cap")
  local late
  late=$(sed -n 's/.*lateness mean \([0-9.]*\) ms, max \([0-9.]*\) ms/\1 \/ \2/p' "$work/err")
  printf "%-28s cpu %6s%%  peak RSS %6.1f MB  bytes received %8s  link events %4s  timer late mean/max ms %s\n" \
    "$label" "$cpu" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$got" \
    "$(json_number "$work/r.json" LinkEventCount)" "$late"
}

stop_sim() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sed -n 's/^ptpdiag-sim: /    simulator: /p' "$work/sim.err"
}

echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "targets: < 1% of a core at 50 frames/s, < 3% at the most a link carries, < 0.2% idle, < 60 MB"
echo "each run: $seconds s"
echo

run "idle, no link"

for rate in 50 1280; do
  start_sim --out pty --rate "$rate" --seconds 0 --seed 11
  run "serial (pty) $rate frames/s" --serial "${line#pty }"
  stop_sim
done

for rate in 50 1280; do
  start_sim --out tcp --listen 127.0.0.1:0 --rate "$rate" --seconds 0 --seed 12
  run "TCP $rate frames/s" --tcp "${line#listening }"
  stop_sim
done

for rate in 50 1280; do
  start_sim --out udp --to "127.0.0.1:$udp_port" --rate "$rate" --seconds 0 --seed 13
  run "UDP $rate frames/s" --udp --udp-port "$udp_port"
  stop_sim
done

echo
echo "Highest rates without loss (10 s each; bytes received vs bytes sent):"
for rate in 1280 2000 3000; do
  start_sim --out udp --to "127.0.0.1:$udp_port" --rate "$rate" --seconds 0 --seed 14
  seconds=10 run "UDP $rate frames/s" --udp --udp-port "$udp_port"
  stop_sim
done
for rate in 1280 2000 3000; do
  start_sim --out tcp --listen 127.0.0.1:0 --rate "$rate" --seconds 0 --seed 15
  seconds=10 run "TCP $rate frames/s" --tcp "${line#listening }"
  stop_sim
done

echo
echo "UDP flood (two simulators, 10,000 datagrams/s each) against the timer:"
"$sim" --out udp --to "127.0.0.1:$udp_port" --rate 10000 --seconds 0 --seed 17 \
  >/dev/null 2>&1 &
flood_pid=$!
start_sim --out udp --to "127.0.0.1:$udp_port" --rate 10000 --seconds 0 --seed 16
seconds=10 run "UDP flood 20000/s" --udp --udp-port "$udp_port"
kill "$flood_pid"
stop_sim
