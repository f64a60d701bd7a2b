#!/usr/bin/env bash
# Builds ptpdiag.exe, ptpdiag-sim.exe and the Windows tests, and runs the
# tests under Wine: the core suite, the Win32 backend, the window on a
# virtual display, live links fed by the Linux simulator, and replays that
# must match the Linux build (built first into build/ when missing).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
source scripts/lib/packages.sh
ensure_packages x11-apps  # xwd: screenshots the window test reads the screens from
if [ ! -x build/src/ptpdiag ] || [ ! -x build/tools/sim/ptpdiag-sim ]; then
  BUILD_DIR=build bash scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPTPDIAG_WERROR=ON
fi
BUILD_DIR=${BUILD_DIR:-build-windows} bash scripts/build-windows.sh \
  -DPTPDIAG_HOST_BUILD="$PWD/build" "$@"

# One Wine prefix for the run: made once (it takes seconds), removed after.
WINEPREFIX=$(mktemp -d)
export WINEPREFIX WINEDEBUG=-all
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$WINEPREFIX"' EXIT
wineboot -i >/dev/null 2>&1
ctest --test-dir "${BUILD_DIR:-build-windows}" --output-on-failure -j "$(nproc)"

# The release files: made, unpacked, installed, run and uninstalled.
BUILD_DIR=${BUILD_DIR:-build-windows} bash scripts/package-windows.sh >/dev/null
version=$(sed -n 's/^#define PTPDIAG_VERSION "\(.*\)"$/\1/p' "${BUILD_DIR:-build-windows}/generated/version.h")
WINEPREFIX="" bash tests/win32/package_test.sh "dist/ptpdiag-$version-win64.zip" \
  "dist/ptpdiag-$version-setup.exe"
