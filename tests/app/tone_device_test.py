#!/usr/bin/env python3
"""The tone on a real sound device: a PulseAudio server of its own with a
null sink, the program in a window (offscreen) on a live UDP link whose
signal steps up 6 dB at 5 s and back at 9 s, the tone switched on by its
menu command. What the sink played, recorded from its monitor, must have
the pitch of the alignment log's tone_hz tick by tick (the recording's
start against the session's time is found as the best lag), so both
pitches of the step are heard where the log has them.

Usage: tone_device_test.py [--wine] PTPDIAG PTPDIAG_SIM
  --wine   PTPDIAG is the Windows build, run under Wine (its waveOut
           reaching the sink through Wine's PulseAudio driver)
"""
import csv
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import time

arguments = sys.argv[1:]
launcher = []
if arguments[0] == "--wine":
    launcher = ["wine"]
    arguments = arguments[1:]
program, sim = arguments
SKIP = 77
RATE = 44100
PIECE = RATE // 20  # 50 ms
SECONDS = 13
STARTUP = 30  # at most, for the program to start listening

if not shutil.which("pulseaudio") or not shutil.which("parec"):
    print("skipped: pulseaudio and parec are not installed")
    sys.exit(SKIP)


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_until_bound(port, seconds):
    """Until something holds the UDP port (the program listening), at most `seconds`."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
            try:
                s.bind(("127.0.0.1", port))
            except OSError:
                return True
        time.sleep(0.2)
    return False


def pitches(raw):
    """Hz of each 50 ms piece from its rising zero crossings; 0 if silent."""
    samples = memoryview(raw).cast("h")
    found = []
    for start in range(0, len(samples) - PIECE + 1, PIECE):
        piece = samples[start:start + PIECE]
        if max(abs(x) for x in piece) < 300:
            found.append(0.0)
            continue
        rising = [i for i in range(1, len(piece)) if piece[i - 1] < 0 <= piece[i]]
        found.append((len(rising) - 1) * RATE / (rising[-1] - rising[0]) if len(rising) > 2 else 0.0)
    return found


def tone_at(rows, ms):
    """The log's tone at session time ms: each tick's tone lasts until the next."""
    hz = None
    for row_ms, row_hz in rows:
        if row_ms > ms:
            break
        hz = row_hz
    return hz


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    runtime = work / "runtime"
    runtime.mkdir(mode=0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=str(runtime), PULSE_SERVER=f"unix:{runtime}/pulse/native")
    if not launcher:
        env.update(HOME=str(work), QT_QPA_PLATFORM="offscreen")
    subprocess.run(["pulseaudio", "--daemonize=yes", "--exit-idle-time=-1", "-n", "--disallow-exit",
                    "--load=module-null-sink sink_name=ptpdiag rate=44100 channels=1",
                    "--load=module-native-protocol-unix", "--log-target=stderr"],
                   env=env, check=True, timeout=30, stderr=subprocess.DEVNULL)
    try:
        for _ in range(50):
            if subprocess.run(["pactl", "info"], env=env, capture_output=True).returncode == 0:
                break
            time.sleep(0.1)
        port = free_udp_port()
        log = work / "align.csv"
        recording = (work / "heard.raw").open("wb")
        parec = subprocess.Popen(["parec", "-d", "ptpdiag.monitor", "--raw", "--format=s16le",
                                  f"--rate={RATE}", "--channels=1", "--latency-msec=20"],
                                 env=env, stdout=recording)
        # A busy machine may take long to start Wine: the window lasts for
        # the start-up as well, and the radio waits for it to listen.
        window = subprocess.Popen(launcher + [program, "--udp", "--udp-port", str(port), "--seconds",
                                              str(SECONDS + STARTUP), "--command", "3097",
                                              "--align-log", str(log)],
                                  env=env, stderr=subprocess.PIPE, text=True)
        if not wait_until_bound(port, STARTUP - 2):
            window.kill()
            sys.exit(f"FAIL: the program did not listen on UDP {port} within {STARTUP - 2} s")
        subprocess.run([sim, "--out", "udp", "--to", f"127.0.0.1:{port}", "--seconds", str(SECONDS - 2),
                        "--miss", "0", "--channel-spread", "6", "--signal-sigma", "1",
                        "--step-at", "4", "--step-db", "6", "--step-at", "8", "--step-db", "-6"],
                       check=True, timeout=60)
        if not launcher:  # SIGTERM ends it as closing the window would
            time.sleep(1)
            window.terminate()
        _, errors = window.communicate(timeout=STARTUP + SECONDS + 30)
        parec.terminate()
        parec.wait(timeout=10)
        recording.close()
    finally:
        subprocess.run(["pulseaudio", "--kill"], env=env, timeout=30)
    if window.returncode != 0:
        print(errors)
        sys.exit(f"FAIL: the window run ended with {window.returncode}")
    if "cannot be heard" in errors:
        sys.exit("FAIL: " + errors)

    rows = [(int(r["ms"]), float(r["tone_hz"])) for r in csv.DictReader(log.open(newline=""))]
    heard = pitches((work / "heard.raw").read_bytes())
    sounding = [i for i, hz in enumerate(heard) if hz > 0]
    distinct = sorted({round(hz, -1) for _, hz in rows if hz > 0})
    print(f"log: {len(rows)} ticks, tones {distinct[0]} to {distinct[-1]} Hz; "
          f"heard: {len(sounding)} of {len(heard)} pieces sounding")
    if len(sounding) < 4 * (SECONDS - 4) * 20 // 5 or distinct[-1] < distinct[0] * 1.1:
        sys.exit("FAIL: too little heard, or the step did not change the tone")

    def matched(lag_ms):
        good = 0
        for i in sounding:
            want = tone_at(rows, i * 50 + 25 + lag_ms)
            good += want is not None and abs(heard[i] - want) <= want * 0.02
        return good

    best = max(range(-3000, 12000, 10), key=matched)
    share = matched(best) / len(sounding)
    print(f"best lag {best} ms: {share:.1%} of the sounding pieces have the log's pitch within 2 %")
    if share < 0.85:
        sys.exit("FAIL: what was heard does not follow the log's tone")
    print("ok")
