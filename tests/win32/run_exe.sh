#!/usr/bin/env bash
# Runs a Windows test program under Wine. With --display first, on a
# virtual X display of its own and in a Wine prefix started with it (the
# window tests need a window driver).
# Usage: run_exe.sh [--display] PROGRAM.exe [ARGS...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
if [ "${1:-}" = --display ]; then
  shift
  source "$here/wine_display.sh"
else
  source "$here/wine_env.sh"
  display_cleanup() { wine_cleanup; }
fi
wine "$@"
code=$?
display_cleanup
exit "$code"
