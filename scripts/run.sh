#!/usr/bin/env bash
# Installs what is missing, builds ptpdiag and runs it with the demo radio (a
# simulated radio inside the program, streaming over UDP on this machine).
# With a display the window opens; without one the program runs headless for
# a while and writes a picture of each screen into ./out.
# Arguments are passed to ptpdiag.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
# The program alone: tests and benchmarks need tools run.sh does not install.
BUILD_DIR=build bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release \
  -DPTPDIAG_BUILD_TESTS=OFF -DPTPDIAG_BUILD_BENCH=OFF >/dev/null
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ "${PTPDIAG_HEADLESS:-0}" != 1 ]; then
  exec ./build/src/ptpdiag --demo "$@"
fi
mkdir -p out
rm -f out/demo-session.cap
echo "No display: running the demo radio headless for 15 seconds..."
./build/src/ptpdiag --demo --headless --seconds 15 --screen 3 --record out/demo-session.cap \
  --snapshot out/screen3.png --report out/report.json "$@"
# Screens 1 and 2 of the same session, from its recording.
for screen in 1 2 4; do
  ./build/src/ptpdiag --headless --replay out/demo-session.cap --screen "$screen" \
    --snapshot "out/screen$screen.png"
done
echo "Wrote out/screen1.png to out/screen4.png and out/report.json"
echo "and the session's recording, out/demo-session.cap (play it with --replay)."
