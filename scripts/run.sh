#!/usr/bin/env bash
# Installs what is missing, builds ptpdiag and runs it on the recorded demo
# radio stream: headless, writing a picture of each screen into ./out.
# Arguments are passed to ptpdiag after the replay options.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
BUILD_DIR=build bash scripts/build.sh -DCMAKE_BUILD_TYPE=Release >/dev/null
mkdir -p out
for screen in 1 2 3; do
  ./build/src/ptpdiag --headless --replay samples/demo.cap --screen "$screen" \
    --snapshot "out/screen$screen.png" --report out/report.json "$@"
done
echo "Wrote out/screen1.png, out/screen2.png, out/screen3.png and out/report.json"
