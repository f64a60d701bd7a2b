# Sourced by the Wine tests that show windows: a virtual X display of the
# test's own (`screen_size`, set before, else 1024x700) and a Wine prefix
# of its own started with it (Wine started without a display keeps no
# window driver for the prefix's later programs). Sets DISPLAY; ends both
# in display_cleanup.
display=:$((100 + RANDOM % 800))
Xvfb "$display" -screen 0 "${screen_size:-1024x700}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
wine_own_prefix=1
source "$(dirname "${BASH_SOURCE[0]}")/wine_env.sh"

display_cleanup() {
  wine_cleanup
  kill "$xvfb" 2>/dev/null
}
