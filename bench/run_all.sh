#!/usr/bin/env bash
# Builds Release in build-release/ (tests off, so the figures never wait on
# them) and runs every benchmark, then the frame-loss counts, the UDP flood
# and the long replays.
#
#   bench/run_all.sh [BUILD_DIR]     (default: build-release)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-release}

# The build's own output goes to a log: GCC 12 at -O3 prints false
# -Wrestrict warnings that would bury the figures.
log=$build/run_all_build.log
mkdir -p "$build"
if ! { cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPTPDIAG_BUILD_TESTS=OFF \
  -DPTPDIAG_BUILD_BENCH=ON &&
  cmake --build "$build" -j"$(nproc)" \
    --target bench_frames bench_poll_cycle bench_repaint bench_frame_loss \
      bench_quality_accuracy bench_alignment_accuracy ptpdiag ptpdiag-sim; } >"$log" 2>&1; then
  tail -30 "$log" >&2
  echo "run_all: the build failed; full output in $log" >&2
  exit 1
fi

echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "targets: frames >= 20M/s; poll cycle < 0.2 ms; repaint < 2 ms per screen; 24 h replay < 5 s, < 40 MiB"
for bench in bench_frames bench_poll_cycle bench_repaint; do
  echo
  "$build/bench/$bench" --benchmark_counters_tabular=true 2>&1
done
echo
"$build/bench/bench_frame_loss"
echo
"$build/bench/bench_quality_accuracy"
echo
"$build/bench/bench_alignment_accuracy"
echo
"$root/bench/udp_flood.sh" "$build"
echo
"$root/bench/metrics_storm.sh" "$build"
echo
"$root/bench/replay_memory.sh" "$build"
