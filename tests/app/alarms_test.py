#!/usr/bin/env python3
"""Alarms end to end: a simulated link whose transmitter fails on five
channels at 30 s and whose radio falls silent at 90 s, replayed with the
report. The VSWR alarm is raised within its hold (5 s) and a second of
the fault; the no-data alarm within a second of the silence passing its
threshold (5 s); neither clears, and nothing else is raised.

Usage: alarms_test.py PTPDIAG PTPDIAG_SIM
"""
import datetime
import json
import pathlib
import subprocess
import sys
import tempfile

program, sim = sys.argv[1], sys.argv[2]
START = datetime.datetime(2026, 1, 5, 9, 0, 0)


def seconds_into(iso):
    return (datetime.datetime.fromisoformat(iso).replace(tzinfo=None) - START).total_seconds()


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    capture, report = work / "fault.cap", work / "report.json"
    subprocess.run([sim, "--seconds", "120", "--seed", "3", "--vswr-fault", "40-44,at=30,value=90",
                    "--stop-at", "90", "--file", str(capture)], check=True, timeout=60)
    subprocess.run([program, "--headless", "--replay", str(capture), "--report", str(report)],
                   check=True, timeout=60)
    alarms = json.loads(report.read_text())["Alarms"]
    print(json.dumps(alarms, indent=1))
    raised = {a["Name"]: a for a in alarms}
    failures = []
    # (name, earliest and latest raise in seconds; the report's times are whole seconds)
    for name, earliest, latest in (("VSWR high", 35, 36), ("No data", 95, 96)):
        alarm = raised.get(name)
        if alarm is None:
            failures.append(f"{name} was not raised")
            continue
        at = seconds_into(alarm["Raised"])
        if not earliest <= at <= latest:
            failures.append(f"{name} raised at {at} s, not within {earliest} to {latest} s")
        if alarm["Cleared"] is not None:
            failures.append(f"{name} cleared at {alarm['Cleared']}")
    others = sorted(set(raised) - {"VSWR high", "No data"})
    if others:
        failures.append(f"raised besides: {others}")
    for f in failures:
        print("FAIL:", f)
    sys.exit(1 if failures else 0)
