#!/usr/bin/env bash
# The built program on real links: the simulated radio streams over a
# pseudo-terminal, TCP and UDP on loopback; each live session is recorded,
# and a replay of the recording must rebuild the same per-channel tables.
# Then the failures: missing device, port in use, device vanishing, refused
# and empty TCP targets, peer closing, UDP port in use.
# Usage: live_links_test.sh PATH_TO_PTPDIAG PATH_TO_PTPDIAG_SIM [CASE]
set -u
program=$1
sim=$2
only=${3:-}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
source "$(dirname "$0")/../support/test_helpers.sh"

# The channel tables of two reports, and that frames came at all.
same_tables() {
  local name=$1 live=$2 replay=$3
  for key in FreqCurrent FreqVswr FreqSignal FreqNoise FreqPeakNoise FreqGoodScore; do
    if [ "$(grep "\"$key\"" "$live")" != "$(grep "\"$key\"" "$replay")" ]; then
      fail "$name: $key differs between the live session and its replay"
    fi
  done
  grep '"FreqSignal"' "$live" | grep -q '[1-9]' || fail "$name: no frame arrived"
}

# The history, tables and averages of two reports are the same (a replay
# of a recording rebuilds them exactly).
same_history() {
  local name=$1 live=$2 replay=$3
  for key in HistIndex HistTime HistSignal HistNoise HistVswr HistCurrent HistErrorRate \
    HistMissCount HistGoodCount HistXmit HistRcvd ShownSignal ShownNoise ShownRcvdRate \
    RcvdRateSmooth MissRun MaxMissRun; do
    if [ "$(grep "\"$key\"" "$live")" != "$(grep "\"$key\"" "$replay")" ]; then
      fail "$name: $key differs between the live session and its replay"
    fi
  done
}

# live_and_replay NAME PTPDIAG_LINK_ARGS...
live_and_replay() {
  local name=$1
  shift
  "$program" --headless --seconds 4 --screen 2 --record "$work/$name.cap" \
    --report "$work/$name.json" "$@" 2>"$work/$name.err" ||
    { fail "$name: live run failed: $(cat "$work/$name.err")"; return; }
  "$program" --headless --replay "$work/$name.cap" --report "$work/$name-replay.json" ||
    { fail "$name: replay of the recording failed"; return; }
  same_tables "$name" "$work/$name.json" "$work/$name-replay.json"
  same_history "$name" "$work/$name.json" "$work/$name-replay.json"
  [ "$(json_number "$work/$name.json" LinkEventCount)" = 0 ] ||
    fail "$name: link events on a clean stream: $(grep LinkEvent "$work/$name.json")"
}

case_serial() {
  local line
  line=$(start_sim --out pty --rate 50 --seconds 8 --seed 3) || { fail "serial: no pty"; return; }
  live_and_replay serial --serial "${line#pty }"
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

# expect_failure NAME CODE STDERR_PART PTPDIAG_ARGS...
expect_failure() {
  local name=$1 code=$2 part=$3
  shift 3
  "$program" --headless "$@" >/dev/null 2>"$work/$name.err"
  local got=$?
  [ "$got" -eq "$code" ] || fail "$name: exit code $got, expected $code: $(cat "$work/$name.err")"
  grep -qF -- "$part" "$work/$name.err" || fail "$name: stderr lacks '$part': $(cat "$work/$name.err")"
}

socat_pair() {
  socat "pty,raw,echo=0,link=$work/$1-a" "pty,raw,echo=0,link=$work/$1-b" 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do
    [ -e "$work/$1-b" ] && [ -e "$work/$1-a" ] && return 0
    sleep 0.05
  done
  return 1
}

case_serial_failures() {
  expect_failure missing 3 "Could not open comm port!" --seconds 1 --serial "$work/no-such-tty"
  grep -qF "does not exist" "$work/missing.err" || fail "missing: no plain advice"
  grep -qE "Serial ports here: |no serial port on this computer" "$work/missing.err" ||
    fail "missing: the ports there are are not named: $(cat "$work/missing.err")"
  echo "not a port" >"$work/plain-file"
  expect_failure plain-file 3 "$work/plain-file is not a serial port." --seconds 1 \
    --serial "$work/plain-file"

  socat_pair busy || { fail "socat pair did not start"; return; }
  "$program" --headless --seconds 3 --serial "$work/busy-b" 2>/dev/null &
  local holder=$!
  sleep 1
  expect_failure busy 3 "in use by another program: ptpdiag (process $holder)" --seconds 1 \
    --serial "$work/busy-b"
  # Nothing talked on the holder's port either.
  wait "$holder"
  [ $? -eq 4 ] || fail "busy: the holding session did not end with 4 (no frame)"

  # A port where no radio talks must not pass for a link that worked.
  socat_pair silent || { fail "socat pair did not start"; return; }
  expect_failure silent 4 "no good frame received" --seconds 1 --serial "$work/silent-b"
}

# Bytes as printf wants them: "F0 4C" -> "\xF0\x4C".
escaped() { sed 's/\([0-9A-F][0-9A-F]\) */\\x\1/g'; }

case_serial_resync() {
  socat_pair mid || { fail "socat pair did not start"; return; }
  "$program" --headless --seconds 3 --serial "$work/mid-b" --report "$work/mid.json" \
    2>"$work/mid.err" &
  local session=$!
  sleep 0.5
  # Half a frame first, as when the port opens in the middle of the stream.
  local frames
  frames=$("$sim" --seconds 1 --rate 40 --seed 8 --miss 0 | grep -v '^#\|^start' |
    cut -d' ' -f2- | tr '\n' ' ')
  printf "$(echo "4C 69 46 0C $frames" | escaped)" >"$work/mid-a"
  wait "$session" || fail "resync: the session failed: $(cat "$work/mid.err")"
  grep '"FreqSignal"' "$work/mid.json" | grep -q '[1-9]' ||
    fail "resync: no frame was read after starting mid-frame"
  [ "$(json_number "$work/mid.json" LinkEventCount)" = 0 ] || fail "resync: link events"
}

# Without reconnecting, as the program always was: a vanished device is an
# event on every timer tick until the port is closed.
case_serial_vanishes() {
  socat_pair gone || { fail "socat pair did not start"; return; }
  local socat_pid=${pids[-1]}
  "$program" --headless --seconds 3 --no-reconnect --serial "$work/gone-b" \
    --report "$work/gone.json" 2>"$work/gone.err" &
  local session=$!
  sleep 1
  kill "$socat_pid"
  wait "$session"
  local code=$?
  [ "$code" -eq 4 ] || fail "gone: exit code $code after the device vanished: $(cat "$work/gone.err")"
  grep -qF "Serial: Com1 went away" "$work/gone.err" || fail "gone: the event is not on stderr"
  [ "$(grep -c "went away" "$work/gone.err")" = 1 ] ||
    fail "gone: the repeated event is on stderr more than once in 3 s: $(cat "$work/gone.err")"
  [ "$(json_number "$work/gone.json" LinkEventType)" = 58 ] ||
    fail "gone: expected link events of type 58: $(grep LinkEvent "$work/gone.json")"
  [ "$(json_number "$work/gone.json" LinkEventCount)" -ge 2 ] 2>/dev/null ||
    fail "gone: each failed read should be an event"
}

# A sender that never pauses: a tick takes what was waiting when it began,
# so the timer keeps time, --seconds holds and SIGTERM ends the run at once.
case_serial_flood() {
  socat -u STDIN "pty,raw,echo=0,link=$work/flood" </dev/urandom 2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -e "$work/flood" ] && break; sleep 0.05; done
  local start=$SECONDS
  timeout -k 2 20 "$program" --headless --seconds 3 --serial "$work/flood" --tick-stats \
    >/dev/null 2>"$work/flood.err"
  [ $((SECONDS - start)) -le 6 ] || fail "flood: --seconds 3 ran $((SECONDS - start)) s"
  local late
  late=$(sed -n 's/.*lateness mean [0-9.]* ms, max \([0-9]*\).*/\1/p' "$work/flood.err")
  [ -n "$late" ] && [ "$late" -lt 250 ] || fail "flood: a tick ran late: $(cat "$work/flood.err")"
  "$program" --headless --seconds 30 --serial "$work/flood" >/dev/null 2>&1 &
  local session=$!
  sleep 1
  kill -TERM "$session"
  local waited=0
  while kill -0 "$session" 2>/dev/null && [ "$waited" -lt 50 ]; do
    sleep 0.1
    waited=$((waited + 1))
  done
  if kill -0 "$session" 2>/dev/null; then
    kill -KILL "$session"
    fail "flood: SIGTERM did not end the run within 5 s"
  fi
  wait "$session"
  [ "$waited" -le 20 ] || fail "flood: SIGTERM took $((waited / 10)) s"
}

case_tcp_failures() {
  local port
  port=$(free_port)
  expect_failure refused 3 "type 43" --seconds 1 --no-reconnect --tcp "127.0.0.1:$port"
  # Retried in the background: each failure is said as it happens, and a
  # run that never connected ends with 4.
  expect_failure refused-retried 4 "127.0.0.1:$port refused the connection" --seconds 2 \
    --tcp "127.0.0.1:$port"
  grep -qF "no good frame received" "$work/refused-retried.err" ||
    fail "refused-retried: no word that nothing came: $(cat "$work/refused-retried.err")"
  [ "$(grep -c "refused the connection" "$work/refused-retried.err")" = 2 ] ||
    fail "refused-retried: expected the tries at 0 and 1 s: $(cat "$work/refused-retried.err")"
  expect_failure no-address 3 "type 41" --seconds 1 --tcp ":4000"
  expect_failure no-port 3 "type 41" --seconds 1 --tcp "127.0.0.1:"

  local line
  line=$(start_sim --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 1 --seed 6) ||
    { fail "peer: no listener"; return; }
  "$program" --headless --seconds 3 --no-reconnect --tcp "${line#listening }" \
    --report "$work/peer.json" || fail "peer: the session failed after the peer closed"
  [ "$(json_number "$work/peer.json" LinkEventType)" = 45 ] ||
    fail "peer: expected the peer's close as event 45: $(grep LinkEvent "$work/peer.json")"
}

# A radio that accepts and streams, closes, refuses for 5 s, then accepts
# again: the link comes back by itself, frames from after the return reach
# the tables, and each try that failed is one link event (the close, then
# the tries 1 and 3 s after it; the one 7 s after finds the radio back).
case_tcp_returns() {
  local port line
  port=$(free_port)
  line=$(start_sim --out tcp --listen "127.0.0.1:$port" --rate 50 --seconds 3 --seed 9) ||
    { fail "returns: no listener"; return; }
  "$program" --headless --seconds 15 --tcp "127.0.0.1:$port" --record "$work/back.cap" \
    --report "$work/back.json" 2>"$work/back.err" &
  local session=$!
  sleep 8  # three seconds of stream, then five of refusals
  line=$(start_sim --out tcp --listen "127.0.0.1:$port" --rate 50 --seconds 12 --seed 10) ||
    { fail "returns: the radio did not come back"; return; }
  wait "$session" || fail "returns: the session failed: $(cat "$work/back.err")"
  [ "$(json_number "$work/back.json" LinkEventCount)" = 3 ] ||
    fail "returns: expected 3 link events (close, two refusals): $(grep LinkEvent "$work/back.json")"
  # Bytes taken after the return (10 s in) are in the recording.
  awk '$1 ~ /^[0-9]+$/ && $1 > 11000 { found = 1 } END { exit !found }' "$work/back.cap" ||
    fail "returns: no frames after the radio came back"
}

# The serial adapter is pulled out (the pty goes away) and plugged back in
# under the same name: the port is opened again by itself.
case_serial_returns() {
  local line address
  line=$(start_sim --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 12 --seed 11) ||
    { fail "serial returns: no simulator"; return; }
  address=${line#listening }
  socat "pty,raw,echo=0,link=$work/plug" "TCP:$address" 2>/dev/null &
  local cable=$!
  for _ in $(seq 100); do [ -e "$work/plug" ] && break; sleep 0.05; done
  "$program" --headless --seconds 9 --serial "$work/plug" --record "$work/plug.cap" \
    --report "$work/plug.json" 2>"$work/plug.err" &
  local session=$!
  sleep 2
  kill "$cable"
  wait "$cable" 2>/dev/null
  sleep 2.5  # unplugged: the try 1 s after fails, the one 3 s after finds it back
  socat "pty,raw,echo=0,link=$work/plug" "TCP:$address" 2>/dev/null &
  pids+=($!)
  wait "$session" || fail "serial returns: the session failed: $(cat "$work/plug.err")"
  [ "$(json_number "$work/plug.json" LinkEventCount)" = 2 ] ||
    fail "serial returns: expected 2 link events (gone, one failed try): $(grep LinkEvent "$work/plug.json")"
  awk '$1 ~ /^[0-9]+$/ && $1 > 6000 { found = 1 } END { exit !found }' "$work/plug.cap" ||
    fail "serial returns: no frames after the adapter came back"
}

case_udp_in_use() {
  local port
  port=$(free_port)
  "$program" --headless --seconds 3 --udp --udp-port "$port" 2>/dev/null &
  local holder=$!
  sleep 1
  expect_failure udp-busy 3 "type 51" --seconds 1 --udp --udp-port "$port"
  grep -qF -- "--udp-port" "$work/udp-busy.err" || fail "udp-busy: no hint to use another port"
  wait "$holder"
  [ $? -eq 4 ] || fail "udp-busy: the holding session did not end with 4 (nothing came)"

  # The demo radio moves to a free port when another program has 4131.
  socat -u UDP-RECV:4131 /dev/null 2>/dev/null &
  pids+=($!)
  sleep 0.3
  "$program" --headless --demo --seconds 2 --report "$work/demo-moved.json" \
    2>"$work/demo-moved.err" || fail "demo-moved: exit code $?: $(cat "$work/demo-moved.err")"
  grep -qE "4131 is in use; the demo radio uses port [0-9]+" "$work/demo-moved.err" ||
    fail "demo-moved: no word of the port: $(cat "$work/demo-moved.err")"
  grep '"FreqSignal"' "$work/demo-moved.json" | grep -q '[1-9]' || fail "demo-moved: no frame arrived"
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# stop_with NAME SIGNAL AFTER_S PTPDIAG_ARGS...: a headless run that the
# signal must end within a second, exit code 0, report and snapshot written.
stop_with() {
  local name=$1 signal=$2 after=$3
  shift 3
  rm -f "$work/$name.json" "$work/$name.png"
  "$program" --headless --report "$work/$name.json" --snapshot "$work/$name.png" "$@" \
    >/dev/null 2>"$work/$name.err" &
  local run=$!
  sleep "$after"
  local sent
  sent=$(now_ms)
  kill "-$signal" "$run"
  wait "$run"
  local code=$? took=$(($(now_ms) - sent))
  [ "$code" -eq 0 ] || fail "$name: exit code $code after SIG$signal: $(cat "$work/$name.err")"
  [ "$took" -lt 1000 ] || fail "$name: took $took ms to end after SIG$signal"
  [ -s "$work/$name.json" ] || fail "$name: no report after SIG$signal"
  [ -s "$work/$name.png" ] || fail "$name: no snapshot after SIG$signal"
}

case_signals() {
  stop_with idle-int INT 1 --seconds 60
  stop_with idle-term TERM 1 --seconds 60

  # A long replay, stopped part way: what was replayed is reported.
  "$sim" --out capture --seconds 43200 --rate 50 --seed 12 --file "$work/long.cap"
  stop_with replay-term TERM 0.4 --replay "$work/long.cap"
  local slots
  slots=$(json_number "$work/replay-term.json" HistIndex)
  [ -n "$slots" ] && [ "$slots" -lt 21000 ] ||
    fail "replay-term: the replay ran to its end ($slots slots) instead of stopping"
  rm -f "$work/long.cap"

  local line port
  line=$(start_sim --out pty --rate 50 --seconds 10 --seed 13) || { fail "signals: no pty"; return; }
  stop_with serial-int INT 1.5 --seconds 60 --serial "${line#pty }" --record "$work/sig-serial.cap"
  "$program" --headless --replay "$work/sig-serial.cap" >/dev/null 2>&1 ||
    fail "serial-int: the recording of a stopped session does not replay"
  line=$(start_sim --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 10 --seed 14) ||
    { fail "signals: no listener"; return; }
  stop_with tcp-term TERM 1.5 --seconds 60 --tcp "${line#listening }"
  port=$(free_port)
  "$sim" --out udp --to "127.0.0.1:$port" --rate 50 --seconds 4 --seed 15 >/dev/null 2>&1 &
  pids+=($!)
  stop_with udp-int INT 1.5 --seconds 60 --udp --udp-port "$port"
  grep '"FreqSignal"' "$work/udp-int.json" | grep -q '[1-9]' || fail "udp-int: no frame arrived"
}

# kill -9 while recording, at several rates: each capture replays (a last
# line torn by the kill is kept up to its last whole byte pair).
case_killed_recordings() {
  local rate after line n=0
  for rate in 50 400 1280; do
    for after in 0.7 1.3 2.1; do
      n=$((n + 1))
      line=$(start_sim --out tcp --listen 127.0.0.1:0 --rate "$rate" --seconds 5 --seed $((20 + n))) ||
        { fail "killed: no listener"; return; }
      "$program" --headless --seconds 30 --tcp "${line#listening }" \
        --record "$work/killed$n.cap" >/dev/null 2>&1 &
      local run=$!
      sleep "$after"
      kill -9 "$run"
      wait "$run" 2>/dev/null
      "$program" --headless --replay "$work/killed$n.cap" --report "$work/killed$n.json" \
        >/dev/null 2>"$work/killed$n.err" ||
        fail "killed $n ($rate hops/s): the capture does not replay: $(cat "$work/killed$n.err")"
      grep '"FreqSignal"' "$work/killed$n.json" | grep -q '[1-9]' ||
        fail "killed $n ($rate hops/s): nothing recorded before the kill"
    done
  done
}

# frames_between CAPTURE FROM_MS TO_MS: whole frames the poll cycle took in
# [FROM, TO) (one frame per datagram, nothing else on the link).
frames_between() {
  awk -v from="$2" -v to="$3" '$1 ~ /^[0-9]+$/ && $1 >= from && $1 < to { n += NF - 1 }
    END { print int(n / 9) }' "$1"
}

# A UDP flood at 2000 hops/s for 5 s, then 50 hops/s: frames go on decoding
# during the flood, and every frame decodes from a second after it.
case_udp_flood() {
  local port start flood_from flood_to calm_to
  port=$(free_port)
  start=$(now_ms)
  "$program" --headless --seconds 12 --udp --udp-port "$port" --record "$work/flood.cap" \
    --report "$work/flood.json" 2>"$work/flood.err" &
  local session=$!
  sleep 0.5
  flood_from=$(($(now_ms) - start))
  "$sim" --out udp --to "127.0.0.1:$port" --rate 2000 --seconds 5 --seed 16 >/dev/null 2>&1
  flood_to=$(($(now_ms) - start))
  "$sim" --out udp --to "127.0.0.1:$port" --rate 50 --seconds 5 --seed 17 >/dev/null 2>&1
  calm_to=$(($(now_ms) - start))
  wait "$session" || fail "flood: the session failed: $(cat "$work/flood.err")"
  local t got
  for ((t = flood_from + 500; t + 1000 <= flood_to - 300; t += 1000)); do
    got=$(frames_between "$work/flood.cap" "$t" $((t + 1000)))
    [ "$got" -ge 100 ] || fail "flood: only $got frames decoded in the second from $t ms"
  done
  local from=$((flood_to + 1000)) to=$((calm_to - 300))
  local expected=$(((to - from) * 50 / 1000))
  got=$(frames_between "$work/flood.cap" "$from" "$to")
  [ "$got" -ge $((expected - 15)) ] && [ "$got" -le $((expected + 15)) ] ||
    fail "flood: $got frames decoded from $from to $to ms after the flood, expected about $expected"
}

# The serial line's full rate (1,280 frames/s) over TCP and UDP, for
# LINE_RATE_SECONDS (default 20): every byte the simulator sent is taken,
# with no link event while it streams. sim_summary FILE: "SENT DROPPED" of
# its last line.
line_rate_seconds=${LINE_RATE_SECONDS:-20}
sim_summary() { sed -n 's/.* \([0-9]*\) bytes sent, \([0-9]*\) bytes dropped.*/\1 \2/p' "$1" | tail -1; }

# line_rate NAME SIM_ERR [DROPS_ALLOWED]: the session's recording against
# what was sent. (A TCP simulator drops what it streams before ptpdiag has
# connected.)
line_rate() {
  local name=$1 allowed=${3:-0} sent dropped got
  read -r sent dropped < <(sim_summary "$2")
  got=$(grep -v '^#\|^start\|^timing\|^tick\|^end' "$work/$name.cap" | cut -d' ' -f2- | wc -w)
  local least=$((line_rate_seconds * 1280 * 9 * 9 / 10))
  [ "${sent:-0}" -ge "$least" ] || fail "$name: the simulator sent ${sent:-nothing}, expected $least or more"
  [ "${dropped:-1}" -le "$allowed" ] ||
    fail "$name: the simulator could not send $dropped bytes: ptpdiag fell behind"
  [ "$got" = "${sent:-0}" ] || fail "$name: $got bytes taken of ${sent:-0} sent"
  echo "$name: $got of ${sent:-0} bytes taken in $line_rate_seconds s, ${dropped:-?} dropped"
}

case_udp_line_rate() {
  local port
  port=$(free_port)
  "$program" --headless --seconds $((line_rate_seconds + 3)) --udp --udp-port "$port" \
    --record "$work/udp_rate.cap" --report "$work/udp_rate.json" 2>"$work/udp_rate.err" &
  local session=$!
  pids+=($session)
  sleep 1
  "$sim" --out udp --to "127.0.0.1:$port" --rate 1280 --seconds "$line_rate_seconds" --seed 21 \
    >/dev/null 2>"$work/udp_rate.sim"
  wait "$session" || fail "udp_rate: the session failed: $(cat "$work/udp_rate.err")"
  line_rate udp_rate "$work/udp_rate.sim"
  [ "$(json_number "$work/udp_rate.json" LinkEventCount)" = 0 ] ||
    fail "udp_rate: link events: $(cat "$work/udp_rate.err")"
}

# The session connects once; its only events come after the simulator ends.
case_tcp_line_rate() {
  "$sim" --out tcp --listen 127.0.0.1:0 --rate 1280 --seconds "$line_rate_seconds" --seed 22 \
    >"$work/tcp_rate.where" 2>"$work/tcp_rate.sim" &
  local simulator=$!
  pids+=($simulator)
  for _ in $(seq 100); do [ -s "$work/tcp_rate.where" ] && break; sleep 0.05; done
  local line
  line=$(head -1 "$work/tcp_rate.where")
  "$program" --headless --seconds $((line_rate_seconds + 3)) --tcp "${line#listening }" \
    --record "$work/tcp_rate.cap" --report "$work/tcp_rate.json" 2>"$work/tcp_rate.err" ||
    fail "tcp_rate: the session failed: $(cat "$work/tcp_rate.err")"
  wait "$simulator"
  line_rate tcp_rate "$work/tcp_rate.sim" 11520
  [ "$(sed -n 2p "$work/tcp_rate.err")" = "ptpdiag: TCP: ${line#listening } closed the connection; trying again in 1 s" ] ||
    fail "tcp_rate: link events while streaming: $(cat "$work/tcp_rate.err")"
}

# A server that accepts and closes at once is tried after 1, 2, 4, 8 s, as
# one that refuses: only a connection that carried a frame starts the
# waits again from 1 s.
case_tcp_accept_close() {
  local port
  port=$(free_port)
  socat "TCP-LISTEN:$port,bind=127.0.0.1,fork,reuseaddr" \
    SYSTEM:"date +%s%N >>$work/accepts" 2>/dev/null &
  pids+=($!)
  sleep 0.5
  # It ends with 1, "no good frame received".
  "$program" --headless --seconds 9 --tcp "127.0.0.1:$port" 2>"$work/close.err"
  local waits gaps
  waits=$(sed -n 's/.*closed the connection; trying again in \([0-9]*\) s/\1/p' "$work/close.err" | xargs)
  [ "$waits" = "1 2 4 8" ] || fail "accept_close: waits '$waits' s, expected '1 2 4 8': $(cat "$work/close.err")"
  gaps=$(awk 'NR > 1 { printf "%d ", ($1 - last) / 1e8 } { last = $1 }' "$work/accepts")
  # Tenths of a second between connections: about 10, 20, 40.
  awk -v g="$gaps" 'BEGIN { n = split(g, a, " "); want[1] = 10; want[2] = 20; want[3] = 40
    if (n != 3) exit 1
    for (i = 1; i <= 3; i++) if (a[i] < want[i] - 1 || a[i] > want[i] + 5) exit 1 }' ||
    fail "accept_close: tenths of a second between connections: '$gaps', expected about 10 20 40"
}

# A peer that vanishes without a word (here: the loopback of a private
# network namespace goes down under a streaming connection) is found dead
# within 30 s by keepalive, and the link connects again once it is back.
case_tcp_silent_peer() {
  if ! unshare -n true 2>/dev/null; then
    echo "skipped: tcp_silent_peer needs a private network namespace (unshare -n, as root)"
    return
  fi
  unshare -n "$0" "$program" "$sim" tcp_silent_peer_inside >"$work/silent.out" 2>&1 ||
    fail "silent_peer: $(cat "$work/silent.out")"
  cat "$work/silent.out"
}

case_tcp_silent_peer_inside() {
  ip link set lo up
  "$sim" --out tcp --listen 127.0.0.1:0 --rate 50 --seconds 0 --seed 23 >"$work/silent.where" \
    2>/dev/null &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/silent.where" ] && break; sleep 0.05; done
  local line
  line=$(head -1 "$work/silent.where")
  "$program" --headless --seconds 45 --tcp "${line#listening }" 2>"$work/silent.err" &
  local session=$!
  pids+=($session)
  sleep 3
  ip link set lo down
  local down_at found_at=""
  down_at=$(now_ms)
  for _ in $(seq 400); do
    if grep -q "stopped answering" "$work/silent.err"; then found_at=$(now_ms); break; fi
    sleep 0.1
  done
  ip link set lo up
  if [ -z "$found_at" ]; then
    fail "silent_peer: not found dead 40 s after the peer vanished: $(cat "$work/silent.err")"
    return
  fi
  local took=$(((found_at - down_at) / 1000))
  [ "$took" -le 30 ] || fail "silent_peer: found dead after $took s, expected 30 s or less"
  for _ in $(seq 200); do
    [ "$(grep -c "connected to\|Reconnected to" "$work/silent.err")" -ge 2 ] && break
    sleep 0.1
  done
  [ "$(grep -c "connected to\|Reconnected to" "$work/silent.err")" -ge 2 ] ||
    fail "silent_peer: no new connection after the peer came back: $(cat "$work/silent.err")"
  kill "$session" 2>/dev/null
  echo "silent_peer: found dead $took s after the peer vanished"
}

# --list-ports names each port's state: free, held by another program
# (named from /proc), a node this user may not open, no device at all.
case_list_ports() {
  socat_pair free || { fail "socat pair did not start"; return; }
  socat_pair held || { fail "socat pair did not start"; return; }
  socat_pair locked || { fail "socat pair did not start"; return; }
  "$program" --headless --seconds 4 --serial "$work/held-b" 2>/dev/null &
  local holder=$!
  sleep 1
  chmod 666 "$(readlink -f "$work/free-b")" "$(readlink -f "$work/held-b")"
  chmod 600 "$(readlink -f "$work/locked-b")"
  local listing=$work/list.out as=()
  # Root opens any node: the permission check needs an ordinary user.
  if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    chmod 755 "$work"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  "${as[@]}" "$program" --list-ports --port "Com2=$work/free-b" --port "Com3=$work/held-b" \
    --port "Com4=$work/locked-b" --port "Com5=$work/none" >"$listing" 2>&1 ||
    fail "list-ports: exit code $?"
  grep -q "^Com2  $work/free-b  can open: yes\$" "$listing" || fail "list-ports: free: $(cat "$listing")"
  if [ ${#as[@]} -gt 0 ] || [ "$(id -u)" -ne 0 ]; then
    grep -qF "Com4  $work/locked-b  can open: permission denied" "$listing" ||
      fail "list-ports: locked: $(cat "$listing")"
  fi
  grep -qF "Com3  $work/held-b  can open: in use" "$listing" || fail "list-ports: held: $(cat "$listing")"
  # Opening it says what to do about it.
  if [ ${#as[@]} -gt 0 ]; then
    "${as[@]}" "$program" --headless --seconds 1 --serial "$work/locked-b" >/dev/null 2>"$work/locked.err"
    [ $? -eq 3 ] && grep -qF "sudo adduser \$USER dialout" "$work/locked.err" ||
      fail "locked: no remedy: $(cat "$work/locked.err")"
  fi
  grep -q "^Com5  $work/none  can open: no device\$" "$listing" ||
    fail "list-ports: no device: $(cat "$listing")"
  [ "$(grep -c "" "$listing")" -ge 8 ] || fail "list-ports: fewer than eight names"
  # Who holds it is read from /proc, which only root or the same user reads.
  "$program" --list-ports --port "Com3=$work/held-b" >"$listing" 2>&1
  grep -qF "Com3  $work/held-b  can open: in use by ptpdiag (process $holder)" "$listing" ||
    fail "list-ports: held: $(cat "$listing")"
  wait "$holder"
}

cases=(serial tcp udp serial_failures serial_resync serial_vanishes serial_flood serial_returns tcp_failures
       tcp_returns udp_in_use signals killed_recordings udp_flood udp_line_rate tcp_line_rate
       tcp_accept_close tcp_silent_peer list_ports)
for c in "${cases[@]}"; do
  if [ -z "$only" ] || [ "$only" = "$c" ]; then "case_$c"; fi
done
[ "$only" = tcp_silent_peer_inside ] && case_tcp_silent_peer_inside

finish "all live-link checks passed"
