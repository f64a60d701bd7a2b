#!/usr/bin/env bash
# Makes the Windows release files in dist/ (DIST_DIR to change):
#   ptpdiag-<version>-win64.zip    ptpdiag.exe, ptpdiag-sim.exe, the user guide,
#                                  the demo capture and a sample radio file
#   ptpdiag-<version>-setup.exe    an installer of the same, per user
# Builds the programs first (scripts/build-windows.sh) and installs what it
# needs with apt-get: nsis and zip.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/packages.sh
root=$PWD
build=${BUILD_DIR:-build-windows}
dist=${DIST_DIR:-dist}

ensure_packages nsis zip
BUILD_DIR=$build bash scripts/build-windows.sh "$@" >/dev/null

version=$(sed -n 's/^#define PTPDIAG_VERSION "\(.*\)"$/\1/p' "$build/generated/version.h")
[ -n "$version" ] || { echo "package-windows: no version in $build/generated/version.h" >&2; exit 1; }
name=ptpdiag-$version
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/$name" "$dist"

# What the user gets: the programs without debugging symbols, texts with
# Windows line ends.
x86_64-w64-mingw32-strip -o "$stage/$name/ptpdiag.exe" "$build/src/app/win32/ptpdiag.exe"
x86_64-w64-mingw32-strip -o "$stage/$name/ptpdiag-sim.exe" "$build/tools/sim/ptpdiag-sim.exe"
# The user guide, not the developers' README: guide\windows.html for
# Windows users, guide\index.html for the program (Help -> User Guide...).
cp -r docs/guide "$stage/$name/guide"
sed 's/$/\r/' CHANGELOG.md >"$stage/$name/CHANGELOG.txt"
sed 's/$/\r/' LICENSE >"$stage/$name/LICENSE.txt"
cp samples/demo.cap samples/example.RAD "$stage/$name/"

rm -f "$dist/$name-win64.zip" "$dist/$name-setup.exe"
(cd "$stage" && zip -q -r -X "$root/$dist/$name-win64.zip" "$name")
makensis -V2 -DVERSION="$version" -DSTAGE="$stage/$name" -DOUTFILE="$root/$dist/$name-setup.exe" \
  -DICON="$root/src/resources/icons/ptpdiag.ico" packaging/windows/ptpdiag.nsi
ls -l "$dist/$name-win64.zip" "$dist/$name-setup.exe"
