#!/usr/bin/env bash
# ptpdiag.exe's window under Wine on a virtual X display, driven with
# xdotool as a user would: the caption, keys 1, 2, 3 (the title each
# screen draws must show, pixel for pixel as the program's own picture of
# that screen), a menu command by mouse, a dialog, Esc. The demo radio
# feeds it. Screenshots go to $PTPDIAG_SCREENSHOTS when that is set.
# Usage: window_test.sh PTPDIAG_EXE
set -u
exe=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
shots=${PTPDIAG_SCREENSHOTS:-$work}
mkdir -p "$shots"
source "$here/wine_display.sh"
cleanup() {
  display_cleanup
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

# Each screen's own picture, to find its title in the screenshots.
for screen in 1 2 3; do
  wine "$exe" --headless --screen "$screen" --snapshot "$work/ref$screen.png" ||
    fail "no picture of screen $screen"
done

# A screenshot to look for titles in, and a PNG of it for people.
shot() {
  xwd -root -silent >"$work/$1.xwd"
  import -window root "$shots/$1.png" 2>/dev/null || true
}

shows() {
  python3 "$here/screen_shows.py" "$1" "$work/$2.xwd" "$work/ref1.png" "$work/ref2.png" \
    "$work/ref3.png"
}

# Starts the program with the demo radio and waits for its window, found by
# its exact caption.
start() {
  local name=$1
  shift
  wine "$exe" --demo --udp-port $((20000 + RANDOM % 30000)) --report "$(winepath -w "$work/$name.json")" \
    "$@" >"$work/$name.out" 2>&1 &
  pid=$!
  window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Norvalen PTP Diagnostics 1\.00$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { fail "$name: no window captioned 'Norvalen PTP Diagnostics 1.00': $(cat "$work/$name.out")"; return 1; }
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 1.5  # a few timer ticks of live data
}

ended() {
  local name=$1 code=0
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$pid" 2>/dev/null; then
    fail "$name: the program did not end"
    kill "$pid"
    return
  fi
  wait "$pid" || code=$?
  [ "$code" -eq 0 ] || fail "$name: exit code $code: $(cat "$work/$name.out")"
}

# The keys choose the screens; it starts on screen 3.
if start keys; then
  shot start
  shows 3 start || fail "keys: the window does not show screen 3 at start"
  for key in 1 2 3; do
    xdotool key "$key"
    sleep 0.8
    shot "screen$key"
    shows "$key" "screen$key" || fail "keys: key $key does not show screen $key"
  done
  # Show -> Screen1 by mouse: the menu bar's third pop-up, its first item.
  xdotool mousemove --sync 160 33 click 1
  sleep 0.6
  shot show-menu
  xdotool mousemove --sync 170 53 click 1
  sleep 0.8
  shot menu-screen1
  shows 1 menu-screen1 || fail "menu: Show -> Screen1 does not show screen 1"
  # A dialog over the working window: Communication -> Chg Comm port.
  xdotool mousemove --sync 90 33 click 1
  sleep 0.5
  xdotool mousemove --sync 100 53 click 1
  sleep 1
  shot dialog
  dialog=$(xdotool search --name '^Select Comm Port$' 2>/dev/null | head -1)
  [ -n "$dialog" ] || fail "dialog: no 'Select Comm Port' window"
  xdotool key Escape  # reaches the dialog, the active window
  for _ in $(seq 50); do
    xdotool search --name '^Select Comm Port$' >/dev/null 2>&1 || break
    sleep 0.1
  done
  xdotool search --name '^Select Comm Port$' >/dev/null 2>&1 && fail "dialog: Esc did not cancel it"
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key Escape
  ended keys
  [ "$(json_number "$work/keys.json" ScreenNumber)" = 1 ] ||
    fail "keys: screen $(json_number "$work/keys.json" ScreenNumber) at exit, expected 1"
  grep '"FreqSignal"' "$work/keys.json" | grep -q '[1-9]' || fail "keys: no live data reached the window"
fi

# File opened by mouse, Exit by its mnemonic: closes the link, ends with 0.
if start exit --screen 2; then
  xdotool mousemove --sync 20 33 click 1
  sleep 0.5
  shot file-menu
  xdotool key x
  ended exit
fi

finish "all window checks passed" "screenshots in $shots"
