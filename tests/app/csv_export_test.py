#!/usr/bin/env python3
"""The CSV export from the outside: a replay of the demo capture writes both
files with --export-csv; Python's csv module reads them back, and every
value is checked against the store in the run's --report. Then the same run
under a decimal-comma locale must give the same bytes.

Usage: csv_export_test.py PTPDIAG CAPTURE
"""
import csv
import datetime
import json
import os
import pathlib
import subprocess
import sys
import tempfile

program, capture = sys.argv[1], sys.argv[2]
failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text)


def run(work, name, env=None):
    base = work / name
    subprocess.run([program, "--headless", "--replay", capture, "--export-csv", str(base),
                    "--report", str(work / (name + ".json"))], check=True, env=env, timeout=120)
    return base


def rows(path):
    raw = path.read_bytes()
    if b"\n" in raw.replace(b"\r\n", b""):
        fail(f"{path.name}: a line ends without CR LF")
    with open(path, newline="", encoding="ascii") as f:
        return list(csv.reader(f, strict=True))


def near(a, b, tolerance):
    return abs(a - b) <= tolerance


def check_channels(path, store):
    table = rows(path)
    if table[0] != ["channel", "frequency_MHz", "signal_dBm", "noise_dBm", "peak_noise_dBm",
                    "good_reception_percent", "vswr", "current_mA"]:
        fail(f"channels header: {table[0]}")
    if len(table) != 112:
        fail(f"channels: {len(table) - 1} rows, expected 111")
    for row in table[1:]:
        c = int(row[0])
        if not near(float(row[1]), 902.2 + 0.2304 * c, 1e-3):
            fail(f"channel {c}: frequency {row[1]}")
        noise = store["FreqNoise"][c]
        if noise == 0:
            if any(row[2:]):
                fail(f"channel {c}: values without data: {row}")
            continue
        expected = {
            2: store["FreqSignal"][c] / 16 - 128 if store["FreqSignal"][c] else None,
            3: noise / 16 - 128,
            4: store["FreqPeakNoise"][c] - 128 if store["FreqPeakNoise"][c] else None,
            5: store["FreqGoodScore"][c] / 10,
            6: store["FreqVswr"][c] / 16 if store["FreqVswr"][c] else None,
            7: store["FreqCurrent"][c] / 8 if store["FreqCurrent"][c] else None,
        }
        for column, value in expected.items():
            if value is None:
                if row[column] != "":
                    fail(f"channel {c} column {table[0][column]}: {row[column]}, expected empty")
            elif not near(float(row[column]), value, 1e-4):
                fail(f"channel {c} column {table[0][column]}: {row[column]}, expected {value}")
        if store["FreqSignal"][c] and float(row[2]) >= 0:
            fail(f"channel {c}: a signal level in dBm must be negative: {row[2]}")


def check_history(path, store, start):
    table = rows(path)
    if table[0] != ["time_local", "seconds_since_start", "signal_dBm", "noise_dBm", "error_percent",
                    "xmit_kB_per_s", "rcvd_kB_per_s", "good_hops", "missed_hops"]:
        fail(f"history header: {table[0]}")
    n = store["HistIndex"]
    if len(table) != n + 1 or n < 10:
        fail(f"history: {len(table) - 1} rows, HistIndex {n}")
    t = store["HistTime"]
    for j, row in enumerate(table[1:], start=1):
        when = datetime.datetime.fromisoformat(row[0])
        if when.utcoffset() is None:
            fail(f"slot {j}: no UTC offset in {row[0]}")
        elif when.replace(tzinfo=None) != start + datetime.timedelta(seconds=t[j]):
            fail(f"slot {j}: {row[0]} is not {t[j]} s after the capture's start")
        if int(row[1]) != t[j]:
            fail(f"slot {j}: seconds {row[1]}, expected {t[j]}")
        dt = (t[j] - t[j - 1]) or 1
        good = store["HistGoodCount"][j - 1]
        checks = [
            (2, store["HistSignal"][j] - 128 if good else None, 1e-9),
            (3, store["HistNoise"][j] - 128, 1e-9),
            (4, store["HistErrorRate"][j] / 2.56, 1e-4),
            (5, store["HistXmit"][j - 1] / dt / 1000, 1e-3),
            (6, store["HistRcvd"][j - 1] / dt / 1000, 1e-3),
            (7, good, 0),
            (8, store["HistMissCount"][j - 1], 0),
        ]
        for column, value, tolerance in checks:
            if value is None:
                if row[column] != "":
                    fail(f"slot {j} {table[0][column]}: {row[column]}, expected empty")
            elif not near(float(row[column]), value, tolerance):
                fail(f"slot {j} {table[0][column]}: {row[column]}, expected {value}")


def comma_locale(work):
    """A decimal-comma locale for the run: the system's, or one made here."""
    env = dict(os.environ)
    names = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    for name in names:
        if name.lower().startswith(("de_de", "fr_fr", "nl_nl")):
            env["LC_ALL"] = name
            return env
    made = work / "locales"
    made.mkdir()
    result = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(made / "de_DE.UTF-8")],
                            capture_output=True)
    if not (made / "de_DE.UTF-8").exists():
        fail("no decimal-comma locale could be made (install the locales package): "
             + result.stderr.decode(errors="replace"))
        return None
    env["LOCPATH"] = str(made)
    env["LC_ALL"] = "de_DE.UTF-8"
    return env


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    base = run(work, "demo")
    store = json.loads((work / "demo.json").read_text())
    start_line = next(line for line in open(capture) if line.startswith("start "))
    start = datetime.datetime.strptime(start_line.split(" ", 1)[1].strip(), "%Y-%m-%d %H:%M:%S")
    check_channels(pathlib.Path(str(base) + "-channels.csv"), store)
    check_history(pathlib.Path(str(base) + "-history.csv"), store, start)
    env = comma_locale(work)
    if env is not None:
        probe = subprocess.run(["printf", "%.1f", "1.5"], env=env, capture_output=True, text=True)
        if probe.stdout != "1,5":
            fail(f"the locale does not use a decimal comma: printf gave {probe.stdout!r}")
        other = run(work, "comma", env)
        for part in ("-channels.csv", "-history.csv"):
            a = pathlib.Path(str(base) + part).read_bytes()
            b = pathlib.Path(str(other) + part).read_bytes()
            if a != b:
                fail(f"{part}: the decimal-comma locale changed the file")

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
print("csv export checks passed")
