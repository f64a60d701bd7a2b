#!/usr/bin/env python3
"""The commissioning report end to end: a live session on the demo radio,
recorded, writes its report; two replays of the recording, and the
rebuild command the report gives, write the same bytes but for the line
that says when. The page is strict HTML5 with nothing fetched from
anywhere, and Chromium prints it on A4 pages.

Before and after: two simulated recordings compared both ways negate
every change, and one compared with itself changes nothing.

Usage: link_report_test.py PTPDIAG PTPDIAG_SIM
"""
import hashlib
import html5lib
import json
import pathlib
import re
import shlex
import shutil
import socket
import subprocess
import sys
import tempfile

program, sim = sys.argv[1], sys.argv[2]
failures = []
FIELDS = ["--report-field", "Site A=Nørd mast", "--report-field", 'Notes=<b>"tilt" & 3°</b>']
PHOTO = pathlib.Path(__file__).resolve().parent.parent / "data" / "photo.png"  # 2000 x 200


def free_udp_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def differing(a, b, generated):
    """The lines where two reports differ, which may only be the one that
    starts with `generated`."""
    la, lb = a.read_text(encoding="utf-8").splitlines(), b.read_text(encoding="utf-8").splitlines()
    if len(la) != len(lb):
        return [f"{a} has {len(la)} lines, {b} {len(lb)}"]
    wrong = [f"{a.name} line {i + 1}: {x[:80]!r} vs {y[:80]!r}" for i, (x, y) in enumerate(zip(la, lb))
             if x != y and not (x.startswith(generated) and y.startswith(generated))]
    if sum(1 for x in la if x.startswith(generated)) != 1:
        wrong.append(f"{a.name}: not exactly one line starting {generated!r}")
    return wrong


def same_reports(a, b):
    for name, generated in (("r.html", '<p class="note">Generated '), ("r.json", '  "Generated": ')):
        failures.extend(differing(a / name, b / name, generated))


def compared(work, before, after, name):
    out = work / f"{name}.json"
    subprocess.run([program, "--headless", "--compare", str(before), str(after), "--report", str(out),
                    "--link-report", str(work / f"{name}.html")], check=True, timeout=60, capture_output=True)
    return json.loads(out.read_text())["Compare"]


def deltas(compare):
    yield from compare["Summary"].items()
    for row in compare["Channels"]:
        yield from ((f"channel {row['Channel']} {k}", v) for k, v in row.items() if k != "Channel")


def check_compare(work):
    before, after = work / "before.cap", work / "after.cap"
    subprocess.run([sim, "--seconds", "90", "--seed", "5", "--noise-floor", "-108", "--interferer",
                    "40-44,duty=0.4,period=10,level=-85", "--file", str(before)], check=True, timeout=60)
    subprocess.run([sim, "--seconds", "90", "--seed", "6", "--noise-floor", "-108", "--step-at", "0",
                    "--step-db", "6", "--file", str(after)], check=True, timeout=60)
    forward, backward = compared(work, before, after, "fwd"), compared(work, after, before, "back")
    itself = compared(work, after, after, "self")
    ahead, back = dict(deltas(forward)), dict(deltas(backward))
    if len(forward["Channels"]) != 111 or forward["Summary"]["SignalDb"] is None:
        failures.append(f"compare: {len(forward['Channels'])} channels, summary {forward['Summary']}")
    failures.extend(f"compare: {k} is {v} one way, {back[k]} the other" for k, v in ahead.items()
                    if (v is None) != (back[k] is None) or (v is not None and v != -back[k]))
    failures.extend(f"compare with itself: {k} is {v}" for k, v in deltas(itself) if v not in (0, None))
    if forward["Before"]["Sha256"] != hashlib.sha256(before.read_bytes()).hexdigest():
        failures.append("compare: the before recording's SHA-256 is wrong")
    try:
        html5lib.HTMLParser(strict=True).parse((work / "fwd.html").read_text(encoding="utf-8"))
    except html5lib.html5parser.ParseError as error:
        failures.append(f"the comparison is not valid HTML5: {error}")


def external_references(page):
    """Every src, href and url( that would fetch something."""
    tree = html5lib.parse(page, namespaceHTMLElements=False)
    refs = [v for e in tree.iter() for k, v in e.attrib.items() if k in ("src", "href")]
    refs += re.findall(r"url\(([^)]*)\)", page)
    outside = [r for r in refs if not r.strip("'\" ").startswith(("data:", "#"))]
    if re.search(r"https?:", page):
        outside.append("the text http: or https:")
    return outside


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    for name in "abcd":
        (work / name).mkdir()
    profile = work / "profile.json"
    profile.write_text('{"MinSignalDbm": -90, "WindowMinutes": 5}')
    common = ["--profile", str(profile), "--photo", str(PHOTO)] + FIELDS
    subprocess.run([program, "--headless", "--demo", "--udp-port", str(free_udp_port()), "--seconds", "12",
                    "--record", str(work / "a/s.cap"), "--link-report", str(work / "a/r.html")] + common,
                   check=True, timeout=60)
    for name in "bc":
        subprocess.run([program, "--headless", "--replay", str(work / "a/s.cap"),
                        "--link-report", str(work / name / "r.html")] + common, check=True, timeout=60)
    same_reports(work / "a", work / "b")
    same_reports(work / "b", work / "c")

    report = json.loads((work / "a/r.json").read_text(encoding="utf-8"))
    capture = report["Capture"]
    if capture["Sha256"] != hashlib.sha256((work / "a/s.cap").read_bytes()).hexdigest():
        failures.append("the SHA-256 is not the recording's")
    if report["Link"] == "an unnamed link" or report["Profile"]["MinSignalDbm"] != -90:
        failures.append(f"link {report['Link']!r} or profile not as given")
    if report["Photos"] != [{"File": "photo.png", "Width": 1600, "Height": 160}]:
        failures.append(f"the photo, scaled to 1600 px: {report['Photos']}")
    if report["Window"]["Ticks"] < 40 or len(report["Verdicts"]) != 9:
        failures.append(f"window {report['Window']}, {len(report['Verdicts'])} verdicts")
    # The rebuild command, run in the recording's folder, writes the same report.
    shutil.copy(work / "a/s.cap", work / "d/s.cap")
    words = shlex.split(capture["Command"])
    subprocess.run([program] + words[1:], cwd=work / "d", check=True, timeout=60)
    same_reports(work / "a", work / "d")

    page = (work / "a/r.html").read_text(encoding="utf-8")
    try:
        html5lib.HTMLParser(strict=True).parse(page)
    except html5lib.html5parser.ParseError as error:
        failures.append(f"not valid HTML5: {error}")
    failures.extend(f"an external reference: {r[:60]}" for r in external_references(page))
    if "&lt;b&gt;&quot;tilt&quot; &amp; 3°&lt;/b&gt;" not in page or "Nørd mast" not in page:
        failures.append("the fields are not on the page as typed")
    if page.count('src="data:image/png;base64,') != 1:
        failures.append("the photo is not in the page")
    if page.count("<svg") != 6:
        failures.append(f"{page.count('<svg')} pictures, not the five screens and the history")

    check_compare(work)

    chromium = shutil.which("chromium")
    if chromium:
        pdf = work / "r.pdf"
        subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--no-pdf-header-footer",
                        f"--print-to-pdf={pdf}", (work / "a/r.html").as_uri()],
                       capture_output=True, timeout=120)
        info = subprocess.run(["pdfinfo", str(pdf)], capture_output=True, text=True).stdout
        pages = int(re.search(r"Pages:\s+(\d+)", info).group(1)) if "Pages:" in info else 0
        if "(A4)" not in info or pages < 8:
            failures.append(f"printed on {pages} pages: {info!r}")
        print(f"printed on {pages} A4 pages")
    else:
        failures.append("chromium is not installed")

for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
