#!/usr/bin/env bash
# The built program in a real window on a virtual X display, driven with
# xdotool as a user would: keys, menu clicks, Esc and Exit. The demo radio
# feeds it. Screenshots go to $PTPDIAG_SCREENSHOTS when that is set.
# Usage: window_e2e_test.sh PATH_TO_PTPDIAG
set -u
program=$1
work=$(mktemp -d)
shots=${PTPDIAG_SCREENSHOTS:-$work}
mkdir -p "$shots"
display=:$((100 + RANDOM % 800))
Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "$xvfb" 2>/dev/null
  pkill -f "$work/" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb
source "$(dirname "$0")/../support/test_helpers.sh"
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# Starts the program with the demo radio on a port of its own and waits for
# its window.
start() {
  local name=$1
  shift
  "$program" --demo --udp-port $((20000 + RANDOM % 30000)) --report "$work/$name.json" "$@" \
    >"$work/$name.out" 2>&1 &
  pid=$!
  window=$(xdotool search --sync --limit 1 --name "Norvalen PTP Diagnostics 1.00" 2>/dev/null)
  xdotool windowfocus --sync "$window" 2>/dev/null
  sleep 1.5  # a few timer ticks of live data
}

# Waits for the program to end; its exit code must be 0.
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

# A screenshot to look at; the checks do not need it.
shot() {
  xwd -root -silent >"$work/shot.xwd" 2>/dev/null &&
    python3 "$(dirname "$0")/../support/xwd_to_png.py" "$work/shot.xwd" "$shots/$1.png" || true
}

screen_of() { json_number "$work/$1.json" ScreenNumber; }

# Keys 1, 2, 3, C and the arrows, then Exit from the File menu by mouse.
start keys
for key in 1 2 3; do
  xdotool key "$key"
  sleep 0.7
  shot "screen$key"
done
xdotool key c Up Down Up
sleep 0.3
xdotool mousemove --sync 20 9 click 1
sleep 0.5
shot "file-menu"
xdotool mousemove --sync 40 205 click 1  # Exit, the last item
ended keys
[ "$(screen_of keys)" = 3 ] || fail "keys: screen $(screen_of keys) at exit, expected 3"
grep -q '"FreqSignal": \[.*[1-9]' "$work/keys.json" || fail "keys: no live data reached the window"

# Shift+1 selects screen 1, a keypad digit selects nothing, Esc ends at once.
start esc
xdotool key shift+1
sleep 0.3
xdotool key KP_2
sleep 0.3
xdotool key Escape
ended esc
[ "$(screen_of esc)" = 1 ] || fail "esc: screen $(screen_of esc), expected 1"

# A click on the Show menu, then on Screen2; Exit by keyboard through the menu.
start menu
xdotool mousemove --sync 170 9 click 1
sleep 0.5
shot "show-menu"
xdotool mousemove --sync 190 52 click 1
sleep 0.7
shot "menu-screen2"
xdotool key alt+f
sleep 0.3
xdotool key Up Return  # up from the first item wraps to Exit
ended menu
[ "$(screen_of menu)" = 2 ] || fail "menu: screen $(screen_of menu), expected 2"

finish "all window checks passed" "screenshots in $shots"
