#!/usr/bin/env bash
# The 250 ms timer's lateness in a headless demo session, quiet and under a
# scrape storm of the metrics endpoint (1,000 requests over 5 s, 16 at a
# time), as tests/app/prometheus_test.py measures it; then each scrape's time
# and the peak memory while 500 idle and 200 dripping sockets hold on.
#
#   bench/metrics_storm.sh [BUILD_DIR]     (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
python3 "$root/tests/app/prometheus_test.py" "$build/src/ptpdiag" --figures
python3 "$root/tests/app/metrics_siege.py" "$build/src/ptpdiag" --figures
