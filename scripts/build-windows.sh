#!/usr/bin/env bash
# Installs the MinGW-w64 cross compiler and Wine if missing, then builds
# ptpdiag.exe, ptpdiag-sim.exe and the Windows tests into build-windows/
# (BUILD_DIR to change). Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix  # the cross compiler, posix thread model
  libz-mingw-w64-dev          # zlib for Windows, linked in statically
  googletest                  # its sources, built with the cross compiler
  wine                        # runs the Windows tests here
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update -q
    $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi

build_dir=${BUILD_DIR:-build-windows}
cmake -S . -B "$build_dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPTPDIAG_WERROR=ON "$@"
cmake --build "$build_dir" -j "$(nproc)"
