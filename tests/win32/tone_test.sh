#!/usr/bin/env bash
# The Windows build's tone through waveOut, under Wine on a display of its
# own, played into a PulseAudio null sink and compared with its log.
# Usage: tone_test.sh PTPDIAG_EXE HOST_SIM
set -euo pipefail
here=$(dirname "$0")
source "$here/wine_display.sh"
trap display_cleanup EXIT
python3 "$here/../app/tone_device_test.py" --wine "$1" "$2"
