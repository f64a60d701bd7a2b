#!/usr/bin/env bash
# ptpdiag.exe's window under Wine at 96 and at 192 dots per inch: its
# client area is the drawing's size times the density, and on screens 1 to
# 3 every text row ends where it ends in the Linux build's picture of the
# same screen (each character on the 10-pixel grid, whatever face Windows
# maps, drawn at the screen's density rather than stretched). Screenshots
# go to $PTPDIAG_SCREENSHOTS when that is set.
# Usage: density_test.sh PTPDIAG_EXE LINUX_PTPDIAG
set -u
exe=$1
linux=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
shots=${PTPDIAG_SCREENSHOTS:-$work}
mkdir -p "$shots"
screen_size=2048x1400  # the window at 192 dpi is 1600 pixels wide
source "$here/wine_display.sh"
cleanup() {
  display_cleanup
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

for screen in 1 2 3; do
  "$linux" --headless --screen "$screen" --snapshot "$work/ref$screen.png" ||
    fail "the Linux build made no picture of screen $screen"
done

for dpi in 96 192; do
  scale=$((dpi / 96))
  # Wine takes the density from the registry when it starts.
  wineserver -k >/dev/null 2>&1
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1
  for screen in 1 2 3; do
    wine "$exe" --screen "$screen" >"$work/out" 2>&1 &
    pid=$!
    window=""
    for _ in $(seq 100); do
      window=$(xdotool search --name '^Norvalen PTP Diagnostics 1\.00$' 2>/dev/null | head -1)
      [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || { fail "$dpi dpi: no window: $(cat "$work/out")"; kill "$pid"; continue; }
    sleep 1.5
    width=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    [ "$width" = $((800 * scale)) ] || fail "$dpi dpi: the client area is $width pixels wide"
    xwd -root -silent >"$work/shot.xwd"
    python3 "$here/../support/xwd_to_png.py" "$work/shot.xwd" "$shots/screen$screen-${dpi}dpi.png" \
      0 0 $((840 * scale)) $((640 * scale)) 2>/dev/null
    python3 "$here/text_extents.py" "$work/shot.xwd" "$work/ref$screen.png" "$scale" ||
      fail "$dpi dpi, screen $screen: text does not end where the Linux build's does"
    xdotool windowfocus --sync "$window" key Escape 2>/dev/null
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
done

finish "all density checks passed" "screenshots in $shots"
