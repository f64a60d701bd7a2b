#!/usr/bin/env bash
# CPU and peak memory of ptpdiag's serial link, window open on screen 2,
# side by side in one run with a bare QSerialPort reader (bench/serial_reader)
# on a second simulated radio at the same rate, at 1,280 and 50 frames/s.
# Each simulator's summary shows whether its reader kept up (nothing dropped).
#
#   bench/serial_side_by_side.sh BUILD_DIR [SECONDS]     (default 30 s per rate)
set -euo pipefail
build=$1
seconds=${2:-30}
ptpdiag=$build/src/ptpdiag
sim=$build/tools/sim/ptpdiag-sim
reader=$build/bench/serial_reader
[ -x "$reader" ] || { echo "skipped: $reader not built (Qt 6 SerialPort not installed)"; exit 0; }
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# A display for the window: the caller's, else a private Xvfb, else offscreen.
if [ -z "${DISPLAY:-}" ]; then
  if command -v Xvfb >/dev/null; then
    Xvfb :57 -screen 0 1280x1024x24 >/dev/null 2>&1 &
    pids+=($!)
    export DISPLAY=:57
    sleep 1
  else
    export QT_QPA_PLATFORM=offscreen
  fi
fi

# start_sim NAME RATE: a simulated radio on a pseudo-terminal; sets $tty.
start_sim() {
  local out=$work/sim$1
  "$sim" --out pty --rate "$2" --seconds 0 --seed 21 >"$out" 2>"$out.err" &
  pids+=($!)
  for _ in $(seq 100); do
    [ -s "$out" ] && { tty=$(sed 's/^pty //' "$out"); return 0; }
    sleep 0.05
  done
  echo "simulator did not start: $(cat "$out.err")" >&2
  exit 1
}

# figures NAME: "cpu X%  peak RSS Y MB" from /usr/bin/time's output.
figures() {
  read -r user sys rss <"$work/$1.time"
  awk -v u="$user" -v s="$sys" -v t="$seconds" -v k="$rss" \
    'BEGIN { printf "cpu %5.2f%% of a core  peak RSS %5.1f MB", 100 * (u + s) / t, k / 1024 }'
}

echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "each run: $seconds s; display: ${DISPLAY:-offscreen}"
for rate in 1280 50; do
  start_sim a "$rate"
  mine=$tty
  start_sim b "$rate"
  theirs=$tty
  /usr/bin/time -f "%U %S %M" -o "$work/ptpdiag.time" \
    "$ptpdiag" --serial "$mine" --screen 2 --seconds "$seconds" 2>"$work/ptpdiag.err" &
  p=$!
  /usr/bin/time -f "%U %S %M" -o "$work/reader.time" \
    "$reader" "$theirs" "$seconds" >"$work/reader.out" 2>&1 &
  r=$!
  wait "$p" "$r" || true
  kill "${pids[@]: -2}" 2>/dev/null || true
  wait "${pids[@]: -2}" 2>/dev/null || true
  echo
  echo "$rate frames/s"
  printf "  %-16s %s\n" ptpdiag "$(figures ptpdiag)" serial_reader "$(figures reader)"
  echo "  reader took: $(cat "$work/reader.out")"
  sed -n 's/^ptpdiag-sim: /  simulator (ptpdiag): /p' "$work/sima.err"
  sed -n 's/^ptpdiag-sim: /  simulator (reader):  /p' "$work/simb.err"
  [ -s "$work/ptpdiag.err" ] && sed 's/^/  ptpdiag said: /' "$work/ptpdiag.err"
done
