#!/usr/bin/env bash
# The serial line's full rate (1,280 frames/s) over TCP and UDP on loopback
# for SECONDS each (default 600): bytes taken against bytes the simulated
# radio sent, as the live-link test checks them for 20 s.
#
#   bench/line_rate.sh [BUILD_DIR] [SECONDS]     (default: build, 600)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
export LINE_RATE_SECONDS=${2:-600}
for link in udp tcp; do
  "$root/tests/app/live_links_test.sh" "$build/src/ptpdiag" "$build/tools/sim/ptpdiag-sim" \
    "${link}_line_rate"
done
