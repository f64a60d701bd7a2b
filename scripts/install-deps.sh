#!/usr/bin/env bash
# Installs the Debian 12 packages ptpdiag needs to build, test and run,
# skipping those already present. Needs root (or sudo).
set -euo pipefail

packages=(
  g++ make cmake pkg-config
  qt6-base-dev          # Qt 6 widgets and painting
  libgl-dev             # OpenGL headers that Qt's CMake files ask for
  fonts-dejavu-core     # the screen font, DejaVu Sans Mono Bold
  libserialport-dev     # serial ports, with USB descriptions for port discovery
  zlib1g-dev            # PNG pictures without Qt
  socat                 # pseudo-terminal pairs for the serial link tests
  xvfb xdotool          # the window test: a virtual display, driven like a user
  libgtest-dev          # unit tests
  qt6-svg-dev           # the test that draws the scalable icon
  libbenchmark-dev      # benchmarks
  python3 locales       # tests that read CSV and metrics back, in a decimal-comma locale
  prometheus            # the metrics endpoint scraped by a real server; promtool
  dpkg-dev fakeroot     # the .deb: dpkg-shlibdeps, dpkg-buildflags
  lintian desktop-file-utils appstream mandoc  # checks of the .deb and its files
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
