#!/usr/bin/env bash
# Installs the Debian 12 packages ptpdiag needs, skipping those already
# present. Needs root (or sudo).
#   install-deps.sh run    to build and run the program (scripts/run.sh)
#   install-deps.sh test   that, and every tool the tests use (scripts/test.sh)
set -euo pipefail
source "$(dirname "$0")/lib/packages.sh"

run_packages=(
  g++ make cmake pkg-config
  qt6-base-dev          # Qt 6 widgets and painting
  qt6-multimedia-dev    # the alignment tone on the sound device
  libgl-dev             # OpenGL headers that Qt's CMake files ask for
  fonts-dejavu-core     # the screen font, DejaVu Sans Mono Bold
  libserialport-dev     # serial ports, with USB descriptions for port discovery
  zlib1g-dev            # PNG pictures without Qt, compressed captures
)
test_packages=(
  socat                 # pseudo-terminal pairs for the serial link tests
  pulseaudio pulseaudio-utils  # a null sound sink the tone test plays into and records
  xvfb xdotool          # the window test: a virtual display, driven like a user
  libgtest-dev          # unit tests
  qt6-svg-dev           # the test that draws the scalable icon
  libbenchmark-dev      # benchmarks
  python3 locales       # tests that read CSV and metrics back, in a decimal-comma locale
  prometheus            # the metrics endpoint scraped by a real server; promtool
  dpkg-dev fakeroot     # the .deb: dpkg-shlibdeps, dpkg-buildflags
  lintian desktop-file-utils appstream mandoc  # checks of the .deb and its files
  python3-html5lib chromium poppler-utils  # the link report: a strict HTML5 parse, printed to PDF
  chromium-driver python3-selenium  # the web view driven in a real browser
)

case "${1:-test}" in
  run) ensure_packages "${run_packages[@]}" ;;
  test) ensure_packages "${run_packages[@]}" "${test_packages[@]}" ;;
  *) echo "usage: install-deps.sh run|test" >&2; exit 2 ;;
esac
