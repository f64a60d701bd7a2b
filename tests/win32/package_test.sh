#!/usr/bin/env bash
# The Windows release files: the zip holds what it should, and the
# installer installs for the user alone (no administrator), the installed
# program runs, and the uninstaller takes everything away again.
# Usage: package_test.sh ZIP SETUP_EXE
set -u
zip=$1
setup=$2
wine_own_prefix=1
source "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
trap 'wine_cleanup; rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

name=$(basename "$zip" -win64.zip)
listing=$(unzip -Z1 "$zip" | grep -v "^$name/guide/." | sort | tr '\n' ' ')
expected="$name/ $name/CHANGELOG.txt $name/LICENSE.txt $name/demo.cap $name/example.RAD $name/guide/ $name/ptpdiag-sim.exe $name/ptpdiag.exe "
[ "$listing" = "$expected" ] || fail "zip holds: $listing"
# The user guide with its Windows page, and not the developers' README.
for page in index.html windows.html; do
  unzip -Z1 "$zip" | grep -qx "$name/guide/$page" || fail "the zip has no guide/$page"
done
unzip -q "$zip" -d "$work/zip"
wine "$work/zip/$name/ptpdiag.exe" --headless --replay "$(winepath -w "$work/zip/$name/demo.cap")" \
  --report "$(winepath -w "$work/zip.json")" || fail "the program from the zip does not run"
[ -s "$work/zip.json" ] || fail "the program from the zip wrote no report"

wine "$setup" /S || fail "the installer failed"
wineserver -w
user_dir=$(find "$wine_dir/drive_c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public | head -1)
installed="$user_dir/AppData/Local/Programs/ptpdiag"
for file in ptpdiag.exe ptpdiag-sim.exe guide/index.html guide/windows.html CHANGELOG.txt LICENSE.txt \
  demo.cap example.RAD Uninstall.exe; do
  [ -f "$installed/$file" ] || fail "not installed: $file"
done
menu="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/ptpdiag"
[ -f "$menu/Norvalen PTP Diagnostics.lnk" ] || fail "no Start menu shortcut in $menu"
[ -f "$menu/ptpdiag User Guide.lnk" ] || fail "no Start menu shortcut to the user guide"
wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\ptpdiag' /v DisplayVersion \
  2>/dev/null | grep -q "${name#ptpdiag-}" || fail "no uninstall entry with the version"

wine "$installed/ptpdiag.exe" --headless --replay "$(winepath -w "$installed/demo.cap")" --screen 2 \
  --report "$(winepath -w "$work/installed.json")" || fail "the installed program does not run"
grep -q '"ScreenNumber": 2' "$work/installed.json" || fail "the installed program wrote no report"

wine "$installed/Uninstall.exe" /S || fail "the uninstaller failed"
wineserver -w
for _ in $(seq 50); do [ -e "$installed/ptpdiag.exe" ] || break; sleep 0.1; done
[ -e "$installed" ] && fail "left behind: $(ls "$installed")"
[ -e "$menu" ] && fail "the Start menu folder is left behind"

finish "the zip and the installer work"
