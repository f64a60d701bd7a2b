"""The web view's server end to end on loopback: the demo radio runs inside
ptpdiag with --serve and --token auto; the URL it prints carries the token,
its log does not; without the token or with a wrong one every path is 401,
with it /api/state.json shows the live link and its alignment figures, the
pages are whole and light, each screen's picture is drawn, and /events streams the state tick by tick. A
server on another address without a token is refused at start.

Usage: web_state_test.py PTPDIAG
"""
import http.client
import json
import re
import socket
import subprocess
import sys
import tempfile
import time
from xml.etree import ElementTree

program = sys.argv[1]
failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text, flush=True)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def get(port, path, headers=None):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    try:
        connection.request("GET", path, headers=headers or {})
        response = connection.getresponse()
        return response.status, response.read().decode()
    finally:
        connection.close()


refused = subprocess.run([program, "--headless", "--demo", "--seconds", "1", "--serve", "0.0.0.0:0"],
                         capture_output=True, text=True, timeout=30)
if refused.returncode != 2 or "needs --token" not in refused.stderr:
    fail(f"--serve 0.0.0.0 without a token: exit {refused.returncode}, {refused.stderr!r}")

with tempfile.TemporaryFile("w+") as err:
    process = subprocess.Popen(
        [program, "--headless", "--demo", "--udp-port", str(free_port()), "--seconds", "8",
         "--serve", "127.0.0.1:0", "--token", "auto"], stdout=subprocess.PIPE, stderr=err, text=True)
    line = process.stdout.readline()
    found = re.search(r"http://127\.0\.0\.1:(\d+)/\?token=([A-Za-z0-9]{32})$", line.strip())
    if not found:
        fail(f"no URL with a token on standard output: {line!r}")
        process.kill()
        sys.exit(1)
    port, token = int(found.group(1)), found.group(2)
    for path, headers in [("/api/state.json", None), ("/metrics", None),
                          ("/api/state.json?token=" + token[:-1], None),
                          ("/api/state.json", {"Authorization": "Bearer " + token + "x"})]:
        status, _ = get(port, path, headers)
        if status != 401:
            fail(f"{path} {headers}: {status}, not 401")
    if get(port, "/metrics", {"Authorization": "Bearer " + token})[0] != 200:
        fail("/metrics with the token in a header: not 200")
    state = None
    for _ in range(40):  # up to 10 s
        status, body = get(port, "/api/state.json?token=" + token)
        if status != 200:
            fail(f"/api/state.json with the token: {status}")
            break
        state = json.loads(body)
        if state["Alignment"]["LevelDbm"] is not None and state["Header"] is not None:
            break
        time.sleep(0.25)
    if state is not None:
        level = state["Alignment"]["LevelDbm"]
        if not (isinstance(level, (int, float)) and -128 <= level <= 0):
            fail(f"no level in {state}")
        if state["Link"]["Kind"] != "udp" or not -128 <= state["Header"]["SignalDbm"] <= 0:
            fail(f"the link or header is wrong in {state}")
        if not isinstance(state["Alignment"]["ToneHz"], (int, float)):
            fail(f"no tone pitch in {state}")
    # The pages: whole, self-contained, and light.
    weight = 0
    for path in ["/", "/align", "/screens"]:
        status, page = get(port, path + "?token=" + token)
        weight += len(page.encode())
        if status != 200 or "<!DOCTYPE html>" not in page:
            fail(f"{path}: {status}")
        if re.search(r"https?:|//[a-z]|url\(", page):
            fail(f"{path} refers outside itself")
    if weight > 100 * 1024:
        fail(f"the pages weigh {weight} bytes, over 100 KB")
    # Each screen's picture: a whole SVG document, drawn for the asking.
    for n in range(1, 6):
        status, svg = get(port, f"/screen/{n}.svg?token=" + token)
        try:
            root = ElementTree.fromstring(svg)
            if status != 200 or root.tag != "{http://www.w3.org/2000/svg}svg" or len(root) < 10:
                fail(f"/screen/{n}.svg: {status}, {len(root)} elements")
        except ElementTree.ParseError as error:
            fail(f"/screen/{n}.svg is not XML: {error}")
    # Two events of the stream, each the state as JSON.
    stream = http.client.HTTPConnection("127.0.0.1", port, timeout=5)
    stream.request("GET", "/events?token=" + token)
    response = stream.getresponse()
    if response.status != 200 or response.getheader("Content-Type") != "text/event-stream":
        fail(f"/events: {response.status} {response.getheader('Content-Type')}")
    else:
        events, key, kind = [], None, None
        for _ in range(20):  # the socket's timeout bounds each line
            line = response.fp.readline().decode()
            if line.startswith("event: "):
                kind = line[7:].strip()
            elif line.startswith("data: ") and kind == "stream":
                key, kind = line[6:].strip(), None
            elif line.startswith("data: "):
                events.append(json.loads(line[6:]))
            if len(events) == 2:
                break
        if len(events) < 2 or events[1]["SessionMs"] <= events[0]["SessionMs"]:
            fail(f"the events do not move on: {events}")
        # The page's word that it reads its stream, as the pages send it.
        for read_key, expected in [(key, 204), ((key or "") + "x", 404)]:
            status, _ = get(port, f"/events/read?token={token}&stream={read_key}")
            if status != expected:
                fail(f"/events/read for stream {read_key!r}: {status}, not {expected}")
    stream.close()
    process.wait(timeout=30)
    err.seek(0)
    if token in err.read():
        fail("the token is in the log")

print("web_state_test:", "FAILED" if failures else "all passed")
sys.exit(1 if failures else 0)
