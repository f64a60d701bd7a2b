#!/usr/bin/env bash
# Makes dist/ptpdiag_<version>_amd64.deb on Debian 12 in one command:
# installs what is missing, builds the two programs in build-deb/ with
# Debian's hardening flags, and packs what `cmake --install` installs.
# Standard output is the package's path alone; the rest goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
source scripts/lib/packages.sh
ensure_packages dpkg-dev fakeroot  # dpkg-shlibdeps, dpkg-buildflags
build=${DEB_BUILD_DIR:-build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"
export CXXFLAGS LDFLAGS
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DPTPDIAG_BUILD_TESTS=OFF -DPTPDIAG_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" >&2
rm -f "$build"/ptpdiag_*.deb
(cd "$build" && cpack -G DEB >&2)
deb=$(cd "$build" && ls ptpdiag_*_amd64.deb)
mkdir -p dist
cp "$build/$deb" dist/
echo "dist/$deb"
