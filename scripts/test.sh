#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
BUILD_DIR=${BUILD_DIR:-build} bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTPDIAG_WERROR=ON \
  -DPTPDIAG_BUILD_TESTS=ON -DPTPDIAG_BUILD_BENCH=ON "$@"
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)"
# The Debian package: made, checked, installed, used and removed.
deb=$(bash scripts/package-deb.sh | tail -n 1)
bash tests/packaging/deb_test.sh "$deb" "${BUILD_DIR:-build}/src/ptpdiag"
# The Windows build, under Wine.
bash scripts/test-windows.sh
