#!/usr/bin/env bash
# ptpdiag.exe under Wine on live links, fed by the Linux simulator: a
# pseudo-terminal linked as COM1, TCP and UDP on loopback, the demo radio
# in the program; each live session is recorded and the Linux build's
# replay of that recording must rebuild the same channel tables. Then
# ptpdiag-sim.exe feeding the Linux build, a UDP port in use, and Ctrl+C.
# Usage: live_test.sh PTPDIAG_EXE PTPDIAG_SIM_EXE LINUX_PTPDIAG LINUX_SIM CASE
set -u
exe=$1
sim_exe=$2
linux=$3
sim=$4
only=$5
# The serial case changes the prefix's ports and restarts Wine in it.
[ "$only" = serial ] && wine_own_prefix=1
source "$(dirname "$0")/wine_env.sh"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  wine_cleanup
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

same_tables() {
  local name=$1 live=$2 replay=$3
  for key in FreqCurrent FreqVswr FreqSignal FreqNoise FreqPeakNoise FreqGoodScore; do
    if [ "$(grep "\"$key\"" "$live")" != "$(grep "\"$key\"" "$replay")" ]; then
      fail "$name: $key differs between the live session and its replay"
    fi
  done
  grep '"FreqSignal"' "$live" | grep -q '[1-9]' || fail "$name: no frame arrived"
}

# A recording replays to the same history and averages.
same_history() {
  local name=$1 live=$2 replay=$3
  for key in HistIndex HistTime HistSignal HistNoise HistErrorRate HistMissCount HistGoodCount \
    ShownSignal ShownNoise ShownRcvdRate RcvdRateSmooth MissRun MaxMissRun; do
    if [ "$(grep "\"$key\"" "$live")" != "$(grep "\"$key\"" "$replay")" ]; then
      fail "$name: $key differs between the live session and its replay"
    fi
  done
}

# live_and_replay NAME PTPDIAG_LINK_ARGS...
live_and_replay() {
  local name=$1
  shift
  wine "$exe" --headless --seconds 4 --screen 2 --record "$work/$name.cap" \
    --report "$work/$name.json" "$@" 2>"$work/$name.err" ||
    { fail "$name: live run failed: $(cat "$work/$name.err")"; return; }
  "$linux" --headless --replay "$work/$name.cap" --report "$work/$name-replay.json" ||
    { fail "$name: the Linux build cannot replay the recording"; return; }
  same_tables "$name" "$work/$name.json" "$work/$name-replay.json"
  same_history "$name" "$work/$name.json" "$work/$name-replay.json"
  [ "$(json_number "$work/$name.json" LinkEventCount)" = 0 ] ||
    fail "$name: link events on a clean stream: $(grep LinkEvent "$work/$name.json")"
}

# The simulator's raw pseudo-terminal as COM1. Wine's mount manager
# makes dosdevices/com1 anew (from /dev/ttyS0) whenever Wine starts, so a
# link put there by hand is gone by the time the program opens the port:
# the mapping goes in the registry, which the mount manager follows. The
# port must also be raw: in canonical mode the line discipline holds bytes
# back until a line ends, and Wine's SetCommState leaves that mode alone.
case_serial() {
  local line
  line=$(start_sim --out pty --rate 50 --seconds 10 --seed 3) || { fail "serial: no pty"; return; }
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "${line#pty }" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1  # the mount manager reads the ports when Wine starts
  live_and_replay serial --serial Com1
  # --list-ports finds COM1 and opens it. (Wine does not keep a COM port
  # to one process, so "in use" is left to the unit test's stand-in.)
  wine "$exe" --list-ports >"$work/ports" 2>&1 || fail "list-ports: exit code $?"
  grep -q "^Com1  COM1.*can open: yes" "$work/ports" || fail "list-ports: $(cat "$work/ports")"
  # A name with no port says which ports there are.
  local missing
  missing=$(tr -d '\r' <"$work/ports" | sed -n 's/^\(Com[0-9]\)  (none)$/\1/p' | head -1)
  wine "$exe" --headless --seconds 1 --serial "$missing" >/dev/null 2>"$work/missing.err"
  grep -qF "Serial ports here: Com1 (COM1)" "$work/missing.err" ||
    fail "$missing: the ports there are are not listed: $(cat "$work/missing.err")"
}

case_tcp() {
  local line
  line=$(start_sim --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 8 --seed 4) ||
    { fail "tcp: no listener"; return; }
  live_and_replay tcp --tcp "${line#listening }"
}

case_udp() {
  local port
  port=$(free_port)
  "$sim" --out udp --to "127.0.0.1:$port" --rate 50 --seconds 8 --seed 5 --split \
    >/dev/null 2>&1 &
  pids+=($!)
  live_and_replay udp --udp --udp-port "$port"
}

# The newcomer's first run: the simulated radio inside the program.
case_demo() {
  wine "$exe" --headless --demo --udp-port "$(free_port)" --seconds 4 --report "$work/demo.json" \
    --snapshot "$work/demo.png" 2>"$work/demo.err" ||
    { fail "demo: exit code $?: $(cat "$work/demo.err")"; return; }
  grep '"FreqSignal"' "$work/demo.json" | grep -q '[1-9]' || fail "demo: no frame decoded"
  [ -s "$work/demo.png" ] || fail "demo: no snapshot"
}

case_udp_in_use() {
  local port
  port=$(free_port)
  socat -u "UDP-RECV:$port" /dev/null &
  pids+=($!)
  sleep 0.3
  wine "$exe" --headless --udp --udp-port "$port" --seconds 1 >/dev/null 2>"$work/inuse.err"
  local code=$?
  [ "$code" -eq 3 ] || fail "udp_in_use: exit code $code, expected 3"
  grep -qF "did not open" "$work/inuse.err" || fail "udp_in_use: $(cat "$work/inuse.err")"
}

# ptpdiag-sim.exe streams over UDP and TCP into the Linux build, and writes
# the same capture as the Linux simulator.
case_sim_exe() {
  local port
  port=$(free_port)
  wine "$sim_exe" --out udp --to "127.0.0.1:$port" --rate 50 --seconds 6 --seed 6 \
    >/dev/null 2>"$work/simexe.err" &
  pids+=($!)
  "$linux" --headless --udp --udp-port "$port" --seconds 4 --report "$work/simexe.json" ||
    fail "sim_exe: the Linux build could not listen"
  grep '"FreqSignal"' "$work/simexe.json" | grep -q '[1-9]' ||
    fail "sim_exe: no frame from ptpdiag-sim.exe over UDP: $(cat "$work/simexe.err")"
  local out=$work/simexe-tcp
  wine "$sim_exe" --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 6 --seed 7 >"$out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do grep -q listening "$out" && break; sleep 0.1; done
  local address
  address=$(sed -n 's/^listening \([0-9.:]*\).*/\1/p' "$out")
  "$linux" --headless --tcp "$address" --seconds 3 --report "$work/simexe-tcp.json" ||
    fail "sim_exe: the Linux build could not connect to $address"
  grep '"FreqSignal"' "$work/simexe-tcp.json" | grep -q '[1-9]' ||
    fail "sim_exe: no frame from ptpdiag-sim.exe over TCP"
  wine "$sim_exe" --seconds 30 --seed 8 --file "$work/w.cap" || fail "sim_exe: no capture"
  "$sim" --seconds 30 --seed 8 --file "$work/l.cap"
  cmp -s <(grep -v '^#' "$work/w.cap") <(grep -v '^#' "$work/l.cap") ||
    fail "sim_exe: the captures of the two builds differ"
}

# Ctrl+C in the console ends a headless run the way closing the window
# does: link closed, outputs written, exit code 0. Started from cmd, the
# program attaches to cmd's console; Wine turns SIGINT to a process with a
# console into its Ctrl+C event.
case_stop_signal() {
  local report="$work/stop-$$.json"
  wine cmd /c "$(winepath -w "$exe")" --headless --demo --udp-port "$(free_port)" --seconds 60 \
    --report "$(winepath -w "$report")" >"$work/stop.out" 2>&1 &
  local cmd=$!
  local pid=""
  for _ in $(seq 100); do
    pid=$(pgrep -f "^[^ ]*ptpdiag\.exe .*stop-$$.json" | head -1)
    [ -n "$pid" ] && break
    sleep 0.1
  done
  [ -n "$pid" ] || { fail "stop_signal: the program did not start"; return; }
  sleep 3
  kill -INT "$pid"
  for _ in $(seq 100); do kill -0 "$cmd" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$cmd" 2>/dev/null; then
    fail "stop_signal: still running 10 s after Ctrl+C"
    kill "$pid" "$cmd"
  fi
  wait "$cmd"
  local code=$?
  [ "$code" -eq 0 ] || fail "stop_signal: exit code $code: $(cat "$work/stop.out")"
  [ -s "$report" ] || fail "stop_signal: no report written: $(cat "$work/stop.out")"
  grep '"FreqSignal"' "$report" | grep -q '[1-9]' || fail "stop_signal: the report lacks the session"
}

# A radio that streams, closes, refuses for 5 s, then accepts again: the
# link comes back by itself and the recording goes on after the outage.
case_tcp_returns() {
  local port
  port=$(free_port)
  start_sim --out tcp --listen "127.0.0.1:$port" --rate 50 --seconds 4 --seed 9 >/dev/null ||
    { fail "tcp_returns: no listener"; return; }
  wine "$exe" --headless --seconds 16 --tcp "127.0.0.1:$port" --record "$work/back.cap" \
    --report "$work/back.json" 2>"$work/back.err" &
  local session=$!
  sleep 9
  start_sim --out tcp --listen "127.0.0.1:$port" --rate 50 --seconds 12 --seed 10 >/dev/null ||
    { fail "tcp_returns: the radio did not come back"; return; }
  wait "$session" || fail "tcp_returns: the session failed: $(cat "$work/back.err")"
  local events
  events=$(json_number "$work/back.json" LinkEventCount)
  [ "${events:-0}" -ge 2 ] ||
    fail "tcp_returns: expected the close and failed tries as link events: $(grep LinkEvent "$work/back.json")"
  # Data, an outage of seconds, then data again.
  awk '$1 ~ /^[0-9]+$/ { if (last != "" && $1 - last >= 3000) gap = 1; else if (gap) after = 1; last = $1 }
    END { exit !(gap && after) }' "$work/back.cap" ||
    fail "tcp_returns: no frames recorded after the radio came back"
}

# The metrics endpoint of ptpdiag.exe, scraped from Linux over loopback.
case_metrics() {
  local port
  port=$(free_port)
  wine "$exe" --headless --demo --udp-port "$(free_port)" --seconds 8 \
    --metrics "127.0.0.1:$port" 2>"$work/metrics.err" &
  local session=$!
  local body=""
  for _ in $(seq 60); do
    body=$(python3 -c "import urllib.request,sys; print(urllib.request.urlopen('http://127.0.0.1:$port/metrics', timeout=2).read().decode())" 2>/dev/null)
    grep -q 'ptpdiag_frames_total{result="good"} [1-9]' <<<"$body" && break
    sleep 0.2
  done
  grep -q 'ptpdiag_link_up{kind="udp"' <<<"$body" || fail "metrics: no UDP link in the scrape: $body"
  grep -q 'ptpdiag_frames_total{result="good"} [1-9]' <<<"$body" ||
    fail "metrics: no frames counted: $(cat "$work/metrics.err")"
  if command -v promtool >/dev/null; then
    promtool check metrics <<<"$body" >/dev/null 2>&1 || fail "metrics: promtool rejects the scrape"
  fi
  # 300 idle sockets, more than the server keeps open, cannot shut a scrape out.
  python3 - "$port" <<'PY' || fail "metrics: a scrape behind 300 idle sockets was not answered within 1 s"
import socket, sys, urllib.request
port = int(sys.argv[1])
idle = [socket.create_connection(("127.0.0.1", port), timeout=2) for _ in range(300)]
body = urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=1).read()
sys.exit(0 if b"ptpdiag_link_up" in body else 1)
PY
  wait "$session" || fail "metrics: the session failed: $(cat "$work/metrics.err")"
}

# The web view's server of ptpdiag.exe, asked for its token, fetched from
# Linux over loopback by the same test as the Linux build's.
case_web_state() {
  printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$exe" >"$work/ptpdiag"
  chmod +x "$work/ptpdiag"
  python3 "$(dirname "$0")/../app/web_state_test.py" "$work/ptpdiag" >"$work/web.out" 2>&1 ||
    fail "web_state: $(cat "$work/web.out")"
}

"case_$only"
finish "$only: passed"
