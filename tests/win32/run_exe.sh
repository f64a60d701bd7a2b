#!/usr/bin/env bash
# Runs a Windows test program under Wine. With --display first, on a
# virtual X display of its own and in a Wine prefix started with it (the
# window tests need a window driver).
# Usage: run_exe.sh [--display] PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
xvfb=""
if [ "${1:-}" = --display ]; then
  shift
  display=:$((100 + RANDOM % 800))
  Xvfb "$display" -screen 0 1024x700x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
  wine_own_prefix=1
fi
source "$here/wine_env.sh"
wine "$@"
code=$?
wine_cleanup
[ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
exit "$code"
