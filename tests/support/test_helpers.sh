# Sourced by the shell tests: failures counted and said, and what several
# tests need. start_sim uses the test's $sim, $work and pids.
failures=0

# fail WORDS...: one failure.
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# finish PASSED_LINE [NOTE]: the closing line and the exit status; NOTE is
# added to the failure count ("screenshots in ...").
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)${2:+; $2}"
    exit 1
  fi
  echo "$1"
  exit 0
}

# A loopback port unlikely to be taken by a parallel test.
# free_port: a port no one holds now, TCP or UDP, below the range the
# system hands out for outgoing connections (32768 and up), so no other
# test's connection takes it before it is listened on.
free_port() {
  local port
  for _ in $(seq 20); do
    port=$((20000 + (RANDOM * 7 + $$) % 12700))
    python3 -c "import socket, sys
t = socket.socket(); t.bind(('127.0.0.1', $port))
u = socket.socket(type=socket.SOCK_DGRAM); u.bind(('127.0.0.1', $port))" 2>/dev/null && break
  done
  echo "$port"
}

# json_number FILE KEY: a number of a report.
json_number() { sed -n "s/^  \"$2\": \\(-\\{0,1\\}[0-9]*\\),\$/\\1/p" "$1"; }

# start_sim ARGS...: the simulator in the background; waits for the line
# that names where it streams and prints it.
start_sim() {
  local out=$work/sim$RANDOM
  "$sim" "$@" >"$out" 2>"$out.err" &
  pids+=($!)
  for _ in $(seq 100); do
    if [ -s "$out" ]; then head -1 "$out"; return 0; fi
    sleep 0.05
  done
  echo "simulator did not start: $(cat "$out.err")" >&2
  return 1
}
