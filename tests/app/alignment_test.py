#!/usr/bin/env python3
"""Alignment end to end: a static link whose signal steps up 3 dB at 40 s
(an antenna turned) is replayed with the alignment log, the tone rendered
as a WAV in two modes, and the report. The log has one row a tick and
shows the step; the WAV holds, in each 250 ms, the pitch of that tick's
row; the report's Alignment block holds the last level and the best.

Usage: alignment_test.py PTPDIAG PTPDIAG_SIM
"""
import csv
import json
import pathlib
import subprocess
import sys
import tempfile
import wave

program, sim = sys.argv[1], sys.argv[2]
failures = []
TICK_SAMPLES = 44100 // 4


def fail(text):
    failures.append(text)
    print("FAIL:", text, flush=True)


def pitches(path):
    """Hz of each 250 ms of a 16-bit mono WAV, from its rising zero crossings."""
    with wave.open(str(path)) as w:
        if (w.getnchannels(), w.getsampwidth(), w.getframerate()) != (1, 2, 44100):
            fail(f"{path.name}: not 16-bit mono 44.1 kHz")
            return []
        data = w.readframes(w.getnframes())
    samples = memoryview(data).cast("h")
    found = []
    for start in range(0, len(samples) - TICK_SAMPLES + 1, TICK_SAMPLES):
        piece = samples[start:start + TICK_SAMPLES]
        rising = [i for i in range(1, len(piece)) if piece[i - 1] < 0 <= piece[i]]
        hz = 0.0
        if len(rising) > 2:
            hz = (len(rising) - 1) * 44100 / (rising[-1] - rising[0])
        found.append(hz)
    return found


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    capture = work / "turned.cap"
    subprocess.run([sim, "--seconds", "60", "--seed", "4", "--miss", "0", "--channel-spread", "6",
                    "--signal-sigma", "2", "--step-at", "40", "--step-db", "3", "--file", str(capture)],
                   check=True, timeout=60)
    for mode in ("absolute", "magnifier"):
        log, tone, report = work / f"{mode}.csv", work / f"{mode}.wav", work / f"{mode}.json"
        subprocess.run([program, "--headless", "--replay", str(capture), "--tone-mode", mode,
                        "--align-log", str(log), "--tone-wav", str(tone), "--report", str(report)],
                       check=True, timeout=60)
        rows = list(csv.DictReader(log.open(newline="")))
        ms = [int(r["ms"]) for r in rows]
        if ms[:240] != list(range(250, 60250, 250)) or ms != sorted(set(ms)):
            fail(f"{mode}: the log is not one row a tick")
        level = {int(r["ms"]): float(r["level_dbm"]) for r in rows if r["level_dbm"]}
        before = sum(level[t] for t in range(30000, 40000, 250)) / 40
        after = sum(level[t] for t in range(43000, 53000, 250)) / 40
        if not 2.5 <= after - before <= 3.5:
            fail(f"{mode}: the level stepped {after - before:.2f} dB, not 3")
        # The sound starts at the first tick; each tick's tone lasts until the next.
        heard = pitches(tone)
        if len(heard) != (ms[-1] - ms[0]) // 250 + 1:
            fail(f"{mode}: {len(heard)} quarter-seconds of sound from {ms[0]} to {ms[-1]} ms")
        for row in rows:
            hz = heard[(int(row["ms"]) - ms[0]) // 250] if heard else 0
            wanted = float(row["tone_hz"])
            if (wanted == 0) != (hz == 0) or (wanted and abs(hz / wanted - 1) > 0.02):
                fail(f"{mode} at {row['ms']} ms: the WAV plays {hz:.1f} Hz, the log says {wanted}")
                break
        last = json.loads(report.read_text())["Alignment"]
        measured = [r for r in rows if r["level_dbm"]][-1]
        if abs(last["LevelDbm"] - float(measured["level_dbm"])) > 0.006:
            fail(f"{mode}: the report's level {last['LevelDbm']} is not the last measured")
        if last["BestDbm"] < after - 1 or not last["BestTime"].startswith("2026-01-05T09:00:"):
            fail(f"{mode}: best {last['BestDbm']} at {last['BestTime']}")

if failures:
    sys.exit(1)
print("alignment log, tone and report agree")
