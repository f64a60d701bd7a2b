#!/usr/bin/env bash
# Installs the MinGW-w64 cross compiler and Wine if missing, then builds
# ptpdiag.exe, ptpdiag-sim.exe and the Windows tests into build-windows/
# (BUILD_DIR to change). Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix  # the cross compiler, posix thread model
  libz-mingw-w64-dev          # zlib for Windows, linked in statically
  googletest                  # its sources, built with the cross compiler
  wine                        # runs the Windows tests here
)
ensure_packages "${packages[@]}"

build_dir=${BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPTPDIAG_WERROR=ON "$@"
cmake --build "$build_dir" -j "$(nproc)"
