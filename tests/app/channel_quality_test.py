#!/usr/bin/env python3
"""Channel quality end to end: the simulator sends ten minutes of a link
with one periodic interferer on channels 40 to 45; the report of its replay
must flag exactly those channels with the interferer's period, list them to
exclude, and flag nothing once --interference-db is above the interferer.

Usage: channel_quality_test.py PTPDIAG PTPDIAG_SIM
"""
import json
import pathlib
import subprocess
import sys
import tempfile

program, sim = sys.argv[1], sys.argv[2]
failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text, flush=True)


def report(capture, work, *options):
    out = work / "r.json"
    subprocess.run([program, "--headless", "--replay", str(capture), "--report", str(out), *options],
                   check=True, timeout=120)
    return json.loads(out.read_text())["ChannelQuality"]


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    capture = work / "interfered.cap"
    subprocess.run([sim, "--seconds", "600", "--seed", "31", "--noise-floor", "-109",
                    "--interferer", "40-45,duty=0.2,period=10,level=-84", "--file", str(capture)],
                   check=True, timeout=120)
    quality = report(capture, work)
    flagged = [c["Channel"] for c in quality["Channels"] if c["Flagged"]]
    if flagged != list(range(40, 46)):
        fail(f"flagged {flagged}, expected 40 to 45")
    if sorted(quality["Exclude"]) != list(range(40, 46)):
        fail(f"exclude {quality['Exclude']}, expected 40 to 45")
    if not -111 <= quality["FloorDbm"] <= -107:
        fail(f"floor {quality['FloorDbm']} dBm, the simulator's is -109")
    for c in quality["Channels"][39:45]:
        if c["PeriodS"] is None or abs(c["PeriodS"] - 10) > 1:
            fail(f"channel {c['Channel']}: period {c['PeriodS']}, expected 10 s")
        if not 0.14 <= c["Duty"] <= 0.26:
            fail(f"channel {c['Channel']}: duty {c['Duty']}, expected about 0.2")
    if len(quality["Channels"]) != 111:
        fail(f"{len(quality['Channels'])} channels, expected 111")
    above = report(capture, work, "--interference-db", "30")
    if above["ThresholdDb"] != 30 or any(c["Flagged"] for c in above["Channels"]):
        fail("--interference-db 30 still flags channels or is not reported")

print(f"{len(failures)} failure(s)" if failures else "channel quality end to end: passed")
sys.exit(1 if failures else 0)
