"""The web view in a real browser: headless Chromium, driven by Selenium,
against the demo radio inside ptpdiag with --serve and --token auto.

- without the token, or with a wrong one, the page is 401; with it, /align
  shows the level and updates at least twice a second;
- each level shown equals the --align-log row of the same tick within
  0.1 dB, and after a click on "Tone" the oscillator plays that tick's
  tone_hz within 1 %;
- the pages fetch nothing from anywhere but their own server;
- the time from a frame's arrival to its digits in the page is measured
  (printed, and bounded loosely so that a stalled stream fails);
- a page frozen as a phone freezes a tab in the background has its stream
  dropped within 10 s, and takes up a new one when it wakes;
- screenshots of /, /align and /screens at 390 x 844 and 1280 x 800 go to
  OUT_DIR to be looked at.

Usage: web_browser_test.py PTPDIAG OUT_DIR
"""
import csv
import pathlib
import re
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

program, out_dir = sys.argv[1], pathlib.Path(sys.argv[2])
out_dir.mkdir(parents=True, exist_ok=True)
failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text, flush=True)


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(driver, script, seconds=10):
    """The script's value once it is truthy, or None after `seconds`."""
    for _ in range(int(seconds / 0.1)):
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.1)
    return None


def browser():
    options = webdriver.ChromeOptions()
    for flag in ["--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                 "--autoplay-policy=no-user-gesture-required", "--disable-dev-shm-usage"]:
        options.add_argument(flag)
    options.binary_location = "/usr/bin/chromium"
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_page_load_timeout(15)
    driver.set_script_timeout(15)
    return driver


# Each update of the level: when the page showed it, what it showed, and
# the tick it came from.
RECORD_UPDATES = """
window.seen = [];
new MutationObserver(() => {
  const s = ptpdiag.last;
  seen.push({at: Date.now(), ms: s.SessionMs, text: document.getElementById("level").textContent,
             tick: s.TickUnixMs, since: s.Link.SecondsSinceGoodFrame});
}).observe(document.getElementById("level"), {childList: true, characterData: true, subtree: true});
"""


def check_token_refused(driver, base, token):
    for query in ["", "?token=" + token[:-1] + "x"]:
        driver.get(base + "/align" + query)
        body = driver.find_element(By.TAG_NAME, "body").text
        if "the token is missing or wrong" not in body:
            fail(f"/align{query and ' with a wrong token'} is not refused: {body[:80]!r}")


def check_align(driver, base, token):
    """Updates, levels and the tone as the page saw them."""
    driver.get(base + "/align?token=" + token)
    if not wait_for(driver, "return window.ptpdiag && ptpdiag.last && ptpdiag.last.Alignment.LevelDbm !== null"):
        fail("/align shows no level within 10 s")
        return [], None
    driver.execute_script(RECORD_UPDATES)
    start = driver.execute_script("return [Date.now(), ptpdiag.updated]")
    time.sleep(4)
    end = driver.execute_script("return [Date.now(), ptpdiag.updated]")
    rate = (end[1] - start[1]) / ((end[0] - start[0]) / 1000)
    print(f"/align: {rate:.1f} updates a second", flush=True)
    if rate < 2:
        fail(f"/align updates {rate:.1f} times a second, under 2")
    driver.find_element(By.ID, "tone").click()
    time.sleep(1)
    tone = driver.execute_script(
        "return {hz: ptpdiag.osc && ptpdiag.osc.frequency.value, state: ptpdiag.audio && ptpdiag.audio.state,"
        " ms: ptpdiag.last.SessionMs, pageHz: ptpdiag.last.Alignment.ToneHz}")
    seen = driver.execute_script("return seen")
    foreign = driver.execute_script(
        "return performance.getEntriesByType('resource').map(e => e.name)"
        ".filter(n => !n.startsWith(location.origin + '/'))")
    if foreign:
        fail(f"/align fetched from elsewhere: {foreign}")
    return seen, tone


def established_on(port):
    """The server's established connections on `port`."""
    with open("/proc/net/tcp") as f:
        rows = [line.split() for line in f.readlines()[1:]]
    return sum(1 for r in rows if int(r[1].split(":")[1], 16) == port and r[3] == "01")


def check_frozen_page_dropped(driver, port):
    key = driver.execute_script("return stream")
    for _ in range(30):  # a word that it reads may be on its way
        if established_on(port) == 1:
            break
        time.sleep(0.1)
    else:
        fail(f"{established_on(port)} connections before the freeze, not the page's stream alone")
    driver.execute_cdp_cmd("Page.setWebLifecycleState", {"state": "frozen"})
    frozen_at = time.monotonic()
    while established_on(port) > 0 and time.monotonic() - frozen_at < 20:
        time.sleep(0.1)
    took = time.monotonic() - frozen_at
    print(f"a frozen page's stream was dropped after {took:.1f} s", flush=True)
    if took > 10:
        fail(f"a frozen page's stream was kept {took:.1f} s")
    driver.execute_cdp_cmd("Page.setWebLifecycleState", {"state": "active"})
    if not wait_for(driver, f"return stream !== {key!r} && Date.now() - ptpdiag.lastAt < 1000", 15):
        fail("the page woken took up no new stream")


def take_screenshots(driver, base, token):
    for width, height in [(390, 844), (1280, 800)]:
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": width, "height": height, "deviceScaleFactor": 1,
                                "mobile": width < 600})
        for name, path in [("index", "/"), ("align", "/align"), ("screens", "/screens")]:
            driver.get(base + path + "?token=" + token)
            time.sleep(1.5)  # a few events, and the first picture
            driver.save_screenshot(str(out_dir / f"{name}_{width}x{height}.png"))


def align_log(path):
    rows = {}
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            rows[int(row["ms"])] = row
    return rows


def compare_with_log(seen, tone, rows):
    matched = 0
    for update in seen:
        row = rows.get(update["ms"])
        if row is None or update["text"] == "--.-":
            continue
        matched += 1
        if abs(float(update["text"]) - float(row["level_dbm"])) > 0.1:
            fail(f"tick {update['ms']}: the page shows {update['text']}, the log has {row['level_dbm']}")
    if matched < 8:
        fail(f"only {matched} of {len(seen)} updates found in the alignment log")
    if tone is not None:
        row = rows.get(tone["ms"])
        if row is None or tone["hz"] is None:
            fail(f"the tone cannot be compared: {tone}")
        elif abs(tone["hz"] - float(row["tone_hz"])) > 0.01 * float(row["tone_hz"]):
            fail(f"the oscillator plays {tone['hz']} Hz, the log has {row['tone_hz']} ({tone})")
        else:
            print(f"tone: {tone['hz']:.1f} Hz against the log's {row['tone_hz']} ({tone['state']})", flush=True)


def report_delays(seen):
    """From the newest frame's arrival (the tick's time less its age) to
    the page's digits, and from the tick alone."""
    frame = [u["at"] - (u["tick"] - 1000 * u["since"]) for u in seen if u["since"] is not None]
    tick = [u["at"] - u["tick"] for u in seen]
    if not frame:
        fail("no update carried the last frame's age")
        return
    frame.sort()
    tick.sort()
    p = lambda values, q: values[min(len(values) - 1, int(q * len(values)))]
    print(f"frame to digits: median {statistics.median(frame):.0f} ms, p95 {p(frame, 0.95):.0f} ms, "
          f"max {frame[-1]:.0f} ms; tick to digits: median {statistics.median(tick):.0f} ms, "
          f"max {tick[-1]:.0f} ms ({len(frame)} updates)", flush=True)
    if frame[-1] > 1500:
        fail(f"a frame took {frame[-1]:.0f} ms to reach the page")


with tempfile.TemporaryDirectory() as work:
    log_path = pathlib.Path(work) / "align.csv"
    process = subprocess.Popen(
        [program, "--headless", "--demo", "--udp-port", str(free_port()), "--seconds", "60",
         "--serve", "127.0.0.1:0", "--token", "auto", "--align-log", str(log_path)],
        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    found = re.search(r"(http://127\.0\.0\.1:\d+)/\?token=(\S+)$", process.stdout.readline().strip())
    if not found:
        process.kill()
        sys.exit("no URL with a token on standard output")
    base, token = found.group(1), found.group(2)
    driver = browser()
    try:
        check_token_refused(driver, base, token)
        seen, tone = check_align(driver, base, token)
        check_frozen_page_dropped(driver, int(base.rsplit(":", 1)[1]))
        take_screenshots(driver, base, token)
    finally:
        driver.quit()
        process.terminate()
        process.wait(timeout=30)
    compare_with_log(seen, tone, align_log(log_path))
    report_delays(seen)

print("web_browser_test:", "FAILED" if failures else "all passed")
sys.exit(1 if failures else 0)
