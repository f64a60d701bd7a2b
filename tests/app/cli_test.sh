#!/usr/bin/env bash
# The built program from the outside: exit codes, error lines, outputs.
# Usage: cli_test.sh PATH_TO_PTPDIAG TEST_DATA_DIR
set -u
program=$1
data=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/../support/test_helpers.sh"
root=$(cd "$(dirname "$0")/../.." && pwd)

# expect CODE STDERR_PART -- ARGS...
expect() {
  local code=$1 part=$2
  shift 3
  "$program" "$@" >"$work/out" 2>"$work/err"
  local got=$?
  if [ "$got" -ne "$code" ]; then
    echo "FAIL: ptpdiag $*: exit code $got, expected $code"; cat "$work/err"; failures=$((failures + 1))
  elif [ -n "$part" ] && ! grep -qF -- "$part" "$work/err"; then
    echo "FAIL: ptpdiag $*: stderr lacks '$part':"; cat "$work/err"; failures=$((failures + 1))
  elif [ "$code" -eq 2 ] && [ "$(wc -l <"$work/err")" -ne 1 ]; then
    echo "FAIL: ptpdiag $*: expected one error line:"; cat "$work/err"; failures=$((failures + 1))
  fi
}

expect 0 "" -- --help
grep -q -- "--replay" "$work/out" || { echo "FAIL: --help lacks --replay"; failures=$((failures + 1)); }
expect 0 "" -- --version
grep -qxE 'ptpdiag [0-9]+\.[0-9]+\.[0-9]+' "$work/out" ||
  { echo "FAIL: --version printed '$(cat "$work/out")'"; failures=$((failures + 1)); }
expect 2 "unknown option '--version=2'" -- --version=2
expect 2 "unknown option '--bogus'" -- --bogus
expect 2 "--screen wants 1 to 5" -- --headless --screen 9
expect 2 "--size wants" -- --headless --size 10
expect 2 "bad_hex.cap:3: not a hex digit: 'G'" -- --headless --replay "$data/bad_hex.cap"
expect 2 "cannot open the capture file" -- --headless --replay "$work/none.cap"
printf '\x00\xff\x10binary junk\n' >"$work/junk.cap"
expect 2 "junk.cap:1:" -- --headless --replay "$work/junk.cap"
# Inputs that would block or fill the memory are refused at once: a FIFO
# (open would wait for a writer), a device, a line longer than 1 MiB, a
# gzip bomb. `timeout` stands guard: a hang fails with 124.
printf '#!/bin/sh\nexec timeout 10 "%s" "$@"\n' "$program" >"$work/soon" && chmod +x "$work/soon"
mkfifo "$work/fifo.cap"
printf '# one\nstart 2026-01-05 09:00:00\n' >"$work/long.cap"
head -c 2000000 /dev/zero | tr '\0' '1' >>"$work/long.cap"
head -c 50000000 /dev/zero | gzip -1 >"$work/bomb.cap.gz"
program=$work/soon expect 2 "fifo.cap: is not a regular file" -- --headless --replay "$work/fifo.cap"
program=$work/soon expect 2 "/dev/zero: is not a regular file" -- --headless --replay /dev/zero
program=$work/soon expect 2 "fifo.cap: is not a regular file" -- --alarms "$work/fifo.cap"
program=$work/soon expect 2 "long.cap:3: the line is longer than 1 MiB" -- --headless --replay "$work/long.cap"
program=$work/soon expect 2 "bomb.cap.gz:1: the line is longer than 1 MiB" -- --headless --replay "$work/bomb.cap.gz"
program=$work/soon expect 2 "it is not a regular file" -- --headless --open "$work/fifo.cap"
# SIGTERM ends a replay within a second, even amid 300 MB of blank lines.
head -c 300000000 /dev/zero | tr '\0' '\n' | gzip -1 >"$work/blank.cap.gz"
"$program" --headless --replay "$work/blank.cap.gz" --report "$work/blank.json" 2>/dev/null &
replaying=$!
sleep 0.5
kill -TERM "$replaying"
for _ in $(seq 10); do kill -0 "$replaying" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$replaying" 2>/dev/null; then
  fail "a replay of blank lines still ran a second after SIGTERM"
  kill -KILL "$replaying"
fi
wait "$replaying" || fail "a replay ended by SIGTERM exited $?"
# Outputs that cannot be written are refused at start, before a long run.
expect 2 "cannot write $work/no/such/dir/r.json: No such file or directory" -- --headless \
  --report "$work/no/such/dir/r.json"
expect 2 "cannot write $work/no/dir/x-channels.csv" -- --headless --replay "$data/one_miss.cap" \
  --export-csv "$work/no/dir/x"
expect 2 "cannot write $work: it is a folder" -- --headless --seconds 5 --report "$work"
mkdir "$work/locked" && chmod 500 "$work/locked"
if [ "$(id -u)" -ne 0 ]; then
  expect 2 "Permission denied" -- --headless --seconds 5 --report "$work/locked/r.json"
elif command -v setpriv >/dev/null; then
  chmod 755 "$work"
  setpriv --reuid=nobody --regid=nogroup --clear-groups "$program" --headless --seconds 5 \
    --report "$work/locked/r.json" 2>"$work/err"
  [ $? -eq 2 ] && grep -qF "Permission denied" "$work/err" ||
    { echo "FAIL: a folder this user may not write: $(cat "$work/err")"; failures=$((failures + 1)); }
fi
[ ! -e "$work/locked/r.json" ] || { echo "FAIL: the try left a file"; failures=$((failures + 1)); }
printf 'keep' >"$work/kept.json"
expect 2 "cannot write $work/no/dir" -- --headless --report "$work/kept.json" --snapshot "$work/no/dir/s.svg"
[ "$(cat "$work/kept.json")" = keep ] || { echo "FAIL: the try changed a file"; failures=$((failures + 1)); }
expect 0 "" -- --headless --replay "$data/one_miss.cap" --export-csv "$work/one.csv"
[ -s "$work/one-channels.csv" ] && [ -s "$work/one-history.csv" ] ||
  { echo "FAIL: --export-csv wrote no files"; failures=$((failures + 1)); }
# A metrics port already taken: exit 2 before the link opens.
metrics_port=$((20000 + (RANDOM * 7 + $$) % 40000))
"$program" --headless --seconds 3 --metrics "127.0.0.1:$metrics_port" 2>/dev/null &
holder=$!
sleep 0.7
expect 2 "cannot serve metrics" -- --headless --seconds 1 --metrics "127.0.0.1:$metrics_port"
wait "$holder"

# The window without a display: our words and exit 2, not Qt's abort.
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" >"$work/out" 2>"$work/err"
code=$?
[ "$code" -eq 2 ] && [ "$(cat "$work/err")" = "ptpdiag: no display: use --headless" ] ||
  { echo "FAIL: no display: exit $code: $(cat "$work/err")"; failures=$((failures + 1)); }
env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY=:7777 "$program" >"$work/out" 2>"$work/err"
[ $? -eq 2 ] && grep -qF "DISPLAY=:7777 cannot be opened" "$work/err" ||
  { echo "FAIL: an unreachable display: $(cat "$work/err")"; failures=$((failures + 1)); }

# Commands after start-up, message boxes on standard error when headless.
expect 0 "Norvalen's Support number is" -- --headless --command 3080
expect 0 "CLOSE selected" -- --headless --command 3074 --command 3072
expect 2 "--command wants a command identifier" -- --headless --command 70000
expect 2 "--interference-db wants decibels from 1 to 60, not '0'" -- --headless --interference-db 0
expect 2 "--tone-mode wants absolute, magnifier or link, not 'loud'" -- --headless --tone-mode loud
expect 2 "--tone-wav wants a file name ending in .wav" -- --headless --tone-wav tone.mp3
expect 2 "--tone-squelch must be below --tone-top" -- --headless --tone-squelch -50 --tone-top -60
expect 2 "cannot write $work/no/such/dir/a.csv" -- --headless --align-log "$work/no/such/dir/a.csv"
# The alarm rules: the kept set and Prometheus rules are what the program
# writes; a wrong file is refused at start with its place.
expect 0 "" -- --print-alarms
cmp -s "$work/out" "$root/contrib/alarms/ptpdiag-alarms.json" ||
  { echo "FAIL: contrib/alarms/ptpdiag-alarms.json is not ptpdiag --print-alarms"; failures=$((failures + 1)); }
expect 0 "" -- --alarms "$root/contrib/alarms/ptpdiag-alarms.json" --print-prometheus-rules
cmp -s "$work/out" "$root/contrib/prometheus/ptpdiag_rules.yml" ||
  { echo "FAIL: contrib/prometheus/ptpdiag_rules.yml is not ptpdiag --print-prometheus-rules"; failures=$((failures + 1)); }
printf '{"Alarms": [{"Name": "Low", "Figure": "level", "Direction": "below", "Threshold": -90, "Clear": -95}]}' >"$work/alarms.json"
expect 2 "alarms.json: alarm 1 (\"Low\") a 'below' rule clears at or above its threshold" -- --alarms "$work/alarms.json"
expect 2 "cannot read $work/none.json" -- --alarms "$work/none.json"
# The report's profile: the kept one is the program's default; a wrong
# limit is refused at start.
expect 0 "" -- --print-profile
cmp -s "$work/out" "$root/contrib/report/ptpdiag-profile.json" ||
  { echo "FAIL: contrib/report/ptpdiag-profile.json is not ptpdiag --print-profile"; failures=$((failures + 1)); }
printf '{"MinSignalDbm": -85, "WindowMinutes": 0}' >"$work/profile.json"
expect 2 "profile.json: \"WindowMinutes\" must be a whole number from 1 to 480" -- --profile "$work/profile.json"
printf '{"MinSignalDbm": 85}' >"$work/profile.json"
expect 2 "profile.json: \"MinSignalDbm\" must be a number from -128 to 0" -- --profile "$work/profile.json"
expect 2 "--report-field wants KEY=VALUE" -- --headless --report-field novalue
expect 2 "the photo $work/profile.json: not a JPEG or PNG picture" -- --headless --photo "$work/profile.json"
expect 2 "the photo $work/none.jpg: no such file" -- --headless --photo "$work/none.jpg"
expect 2 "cannot write $work/no/dir/r.html" -- --headless --link-report "$work/no/dir/r.html"
# A radio file that cannot be read is an input that failed: exit 2.
expect 2 "The radio list is unchanged" -- --headless --open "$work/none.RAD"
for i in $(seq 2100); do printf '%8d  1 RADIO%03d\r\n' "$i" $((i % 1000)); done >"$work/big.RAD"
expect 0 "Only the first 2047 radios" -- --headless --open "$work/big.RAD"
# --save is the Save command without its prompt; a dialog a headless
# command would need is named on standard error.
expect 0 "" -- --headless --open "$root/samples/example.RAD" --save "$work/copy.RAD"
cmp -s "$root/samples/example.RAD" "$work/copy.RAD" ||
  { echo "FAIL: --open then --save changed the radio file"; failures=$((failures + 1)); }
expect 1 "Could not save \"$work/no/dir/x.RAD\"" -- --headless --save "$work/no/dir/x.RAD"
expect 0 "Save  File: this dialog cannot be shown without a window" -- --headless --command 3075
expect 0 "Select Comm Port: this dialog cannot be shown" -- --headless --command 119

# Live-link options that cannot work are refused before anything opens.
expect 2 "needs --seconds" -- --headless --udp
expect 0 "" -- --headless --seconds 1 --report "$work/idle.json"
expect 2 "choose one link" -- --headless --seconds 1 --udp --tcp 127.0.0.1:9
expect 2 "cannot go with a live link" -- --headless --seconds 1 --udp --replay "$data/one_miss.cap"
expect 2 "--record needs a live link" -- --headless --record "$work/r.cap"
expect 2 "--port wants ComN=DEVICE" -- --headless --port Com9=/dev/ttyS0
expect 2 "--tcp wants HOST:PORT" -- --headless --seconds 1 --tcp localhost
expect 2 "--seconds wants whole seconds" -- --headless --udp --seconds 0
expect 2 "--udp-port wants" -- --headless --udp --seconds 1 --udp-port 70000
echo "0 F0" >"$work/taken.cap"
expect 2 "already exists" -- --headless --udp --seconds 1 --record "$work/taken.cap"

expect 0 "" -- --headless --replay "$data/one_miss.cap" --report "$work/r.json" \
  --snapshot "$work/s.svg" --screen 1
grep -q '"HistIndex": 1,' "$work/r.json" || { echo "FAIL: report lacks HistIndex 1"; failures=$((failures + 1)); }
grep -q '>Radio Transmitter vs Frequency</text>' "$work/s.svg" ||
  { echo "FAIL: snapshot is not screen 1"; failures=$((failures + 1)); }

expect 0 "" -- --headless --replay "$data/one_miss.cap" --snapshot "$work/s.png"
[ -s "$work/s.png" ] || { echo "FAIL: no PNG written"; failures=$((failures + 1)); }
# --scale 1 is the picture as it always was; --scale 2 has four times the pixels.
expect 0 "" -- --headless --replay "$data/one_miss.cap" --snapshot "$work/s1.png" --scale 1
cmp -s "$work/s.png" "$work/s1.png" || { echo "FAIL: --scale 1 changed the picture"; failures=$((failures + 1)); }
expect 0 "" -- --headless --replay "$data/one_miss.cap" --snapshot "$work/s2.png" --scale 2
[ "$(od -An -tx1 -j16 -N8 "$work/s2.png" | tr -d ' \n')" = "0000064000000460" ] ||
  { echo "FAIL: --scale 2 is not 1600 x 1120"; failures=$((failures + 1)); }

finish "all command-line checks passed"
