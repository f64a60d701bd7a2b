#!/usr/bin/env bash
# Under Wine: CPU and peak memory of ptpdiag.exe's serial link (window open
# on screen 2) against a bare Win32 ReadFile loop (serial_reader_win32.exe),
# each alone on a simulated radio's pseudo-terminal mapped as COM1, at 1,280
# and 50 frames/s. Wine's server does part of each program's work, so its
# CPU over the run is given beside the program's.
#
#   bench/serial_wine.sh LINUX_BUILD WINDOWS_BUILD [SECONDS]   (default 30 s)
set -euo pipefail
linux=$1
windows=$2
seconds=${3:-30}
sim=$linux/tools/sim/ptpdiag-sim
exe=$windows/src/app/win32/ptpdiag.exe
reader=$windows/bench/serial_reader_win32.exe
work=$(mktemp -d)
pids=()
export WINEPREFIX=$work/prefix WINEDEBUG=-all
trap 'kill "${pids[@]}" 2>/dev/null; wineserver -k >/dev/null 2>&1; wait 2>/dev/null; rm -rf "$work"' EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb :58 -screen 0 1280x1024x24 >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=:58
fi
wineboot -i >/dev/null 2>&1

# start_sim RATE: a simulated radio on a pseudo-terminal, mapped as COM1.
start_sim() {
  "$sim" --out pty --rate "$1" --seconds 0 --seed 21 >"$work/sim" 2>"$work/sim.err" &
  sim_pid=$!
  for _ in $(seq 100); do [ -s "$work/sim" ] && break; sleep 0.05; done
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$(sed 's/^pty //' "$work/sim")" /f \
    >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true  # the mount manager reads the ports when Wine starts
  wineserver -w 2>/dev/null || true
}

# figures PID: "ticks peakKB" of a running process.
figures() {
  local ticks peak
  ticks=$(awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null) || return 1
  peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
  echo "$ticks $peak"
}

# measure NAME PATTERN COMMAND...: runs the command (Wine may start the
# program as a process of its own: PATTERN finds it) and samples that
# process's CPU and peak memory until it ends.
measure() {
  local name=$1 pattern=$2
  shift 2
  wine cmd /c exit >/dev/null 2>&1  # the server up: the newest one is this prefix's
  local server
  server=$(pgrep -n wineserver)
  local before
  before=$(awk '{ print $14 + $15 }' "/proc/$server/stat")
  "$@" >"$work/out" 2>&1 &
  local launcher=$! pid="" last="" seen
  for _ in $(seq 100); do
    pid=$(pgrep -f "$pattern" | head -1 || true)
    [ -n "$pid" ] && break
    sleep 0.05
  done
  [ -n "$pid" ] || { echo "  $name did not start: $(tr -d '\r' <"$work/out")"; return; }
  local after=$before
  while seen=$(figures "$pid"); do
    last=$seen
    after=$(awk '{ print $14 + $15 }' "/proc/$server/stat" 2>/dev/null || echo "$after")
    sleep 0.2
  done
  wait "$launcher" 2>/dev/null || true
  read -r ticks peak <<<"$last"
  awk -v n="$name" -v c="$ticks" -v w="$(( after - before ))" -v hz="$(getconf CLK_TCK)" \
    -v t="$seconds" -v k="$peak" \
    'BEGIN { printf "  %-22s cpu %5.2f%%  wineserver %5.2f%%  peak RSS %5.1f MB\n",
             n, 100 * c / hz / t, 100 * w / hz / t, k / 1024 }'
}

echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
echo "$(wine --version); each run: $seconds s"
for rate in 1280 50; do
  echo
  echo "$rate frames/s"
  start_sim "$rate"
  measure ptpdiag.exe 'ptpdiag\.exe' wine "$exe" --serial Com1 --screen 2 --seconds "$seconds"
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
  sed -n 's/^ptpdiag-sim: /    simulator: /p' "$work/sim.err"
  start_sim "$rate"
  measure serial_reader_win32 'serial_reader_win32\.exe' wine "$reader" COM1 "$seconds"
  kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true
  echo "    reader took: $(tr -d '\r' <"$work/out" | tail -1)"
  sed -n 's/^ptpdiag-sim: /    simulator: /p' "$work/sim.err"
done
