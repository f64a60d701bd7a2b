#!/usr/bin/env bash
# ptpdiag.exe under Wine from the outside: exit codes and error lines, and
# headless replays that give the Linux build's report and SVG byte for byte.
# Usage: cli_test.sh PTPDIAG_EXE LINUX_PTPDIAG TEST_DATA_DIR CAPTURE...
set -u
exe=$1
linux=$2
data=$3
shift 3
source "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
trap 'wine_cleanup; rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

# expect CODE STDERR_PART -- ARGS...
expect() {
  local code=$1 part=$2
  shift 3
  wine "$exe" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" -ne "$code" ]; then
    fail "ptpdiag.exe $*: exit code $got, expected $code: $(cat "$work/err")"
  elif [ -n "$part" ] && ! grep -qF -- "$part" "$work/err"; then
    fail "ptpdiag.exe $*: stderr lacks '$part': $(cat "$work/err")"
  elif [ "$code" -eq 2 ] && [ "$(wc -l <"$work/err")" -ne 1 ]; then
    fail "ptpdiag.exe $*: expected one error line: $(cat "$work/err")"
  fi
}

expect 0 "" -- --help
grep -q -- "--replay" "$work/out" || fail "--help lacks --replay"
expect 0 "" -- --version
[ "$(tr -d '\r' <"$work/out")" = "$("$linux" --version)" ] ||
  fail "--version says '$(cat "$work/out")', the Linux build '$("$linux" --version)'"
expect 2 "unknown option '--bogus'" -- --bogus
expect 2 "--screen wants 1 to 5" -- --headless --screen 9
expect 2 "bad_hex.cap:3: not a hex digit: 'G'" -- --headless --replay "$data/bad_hex.cap"
expect 2 "cannot open the capture file" -- --headless --replay "$work/none.cap"
# Devices are never opened as files (reading COM1 would wait forever).
expect 2 "COM1: cannot open the capture file" -- --headless --replay COM1
expect 2 "Could not read \"NUL\"" -- --headless --open NUL
expect 2 "cannot write" -- --headless --report "$work/no/such/dir/r.json"
expect 0 "Norvalen's Support number is" -- --headless --command 3080
expect 3 "does not exist" -- --headless --seconds 1 --serial Com7
# A port above COM9 by its Windows name, with and without the prefix.
expect 3 "COM12 does not exist" -- --headless --seconds 1 --serial COM12
expect 3 "COM12 does not exist" -- --headless --seconds 1 --serial '\\.\COM12'
expect 3 "Could not open comm port!" -- --headless --seconds 1 --port Com2=COM15 --serial Com2

# The same capture gives the same report and SVG on both builds, on every
# screen.
for capture in "$@"; do
  name=$(basename "$capture" .cap)
  for screen in 1 2 3 4 5; do
    wine "$exe" --headless --replay "$capture" --screen "$screen" --report "$work/w.json" \
      --snapshot "$work/w.svg" --align-log "$work/w.csv" 2>"$work/err" ||
      fail "$name screen $screen: $(cat "$work/err")"
    "$linux" --headless --replay "$capture" --screen "$screen" --report "$work/l.json" \
      --snapshot "$work/l.svg" --align-log "$work/l.csv" ||
      fail "$name screen $screen: the Linux build failed"
    cmp -s "$work/w.json" "$work/l.json" || fail "$name screen $screen: the reports differ"
    cmp -s "$work/w.svg" "$work/l.svg" || fail "$name screen $screen: the SVG snapshots differ"
    cmp -s "$work/w.csv" "$work/l.csv" || fail "$name screen $screen: the alignment logs differ"
  done
done

# The commissioning report and its JSON too, but for when each was made.
mkdir -p "$work/w" "$work/l"
for capture in "$@"; do
  name=$(basename "$capture" .cap)
  wine "$exe" --headless --replay "$capture" --report-field "Site A=Nørd" --link-report "$work/w/r.html" \
    2>"$work/err" || fail "$name link report: $(cat "$work/err")"
  "$linux" --headless --replay "$capture" --report-field "Site A=Nørd" --link-report "$work/l/r.html" ||
    fail "$name link report: the Linux build failed"
  for file in r.json r.html; do
    cmp -s <(grep -v '^  "Generated"\|^<p class="note">Generated' "$work/w/$file") \
      <(grep -v '^  "Generated"\|^<p class="note">Generated' "$work/l/$file") ||
      fail "$name: the link reports' $file differ"
  done
done

# A photo is scaled by the Windows Imaging Component to the same size.
wine "$exe" --headless --replay "$1" --photo "$data/photo.png" --link-report "$work/w/p.html" 2>"$work/err" ||
  fail "a photo: $(cat "$work/err")"
grep -qF '"Photos": [{"File": "photo.png", "Width": 1600, "Height": 160}]' "$work/w/p.json" ||
  fail "the photo is not scaled to 1600 x 160: $(grep Photos "$work/w/p.json")"
grep -qF 'src="data:image/png;base64,iVBOR' "$work/w/p.html" || fail "the photo is not in the page as a PNG"

# A PNG snapshot drawn with GDI: a PNG of the client size.
wine "$exe" --headless --replay "$1" --size 640x480 --snapshot "$work/s.png" ||
  fail "PNG snapshot failed"
header=$(head -c 24 "$work/s.png" | od -An -tx1 | tr -d ' \n')
[ "${header:0:16}" = "89504e470d0a1a0a" ] || fail "the snapshot is not a PNG"
[ "${header:32:16}" = "00000280000001e0" ] || fail "the PNG is not 640 x 480: ${header:32:16}"

finish "all command-line checks passed"
