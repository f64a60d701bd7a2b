#!/usr/bin/env python3
"""ptpdiag's metrics endpoint scraped by a real Prometheus on loopback.

The demo radio runs inside ptpdiag with --metrics; Prometheus scrapes it
every second; its HTTP API must then show up == 1, a signal level that moves
within the simulator's range and a frame counter that grows. promtool checks
a scrape. Then a scrape storm (1,000 requests over 5 s, 16 at a time) against a
second run, whose timer lateness (--tick-stats) is compared with a quiet run's.

Usage: prometheus_test.py PTPDIAG [--figures]   (--figures: print, do not judge lateness)
"""
import concurrent.futures
import http.client
import json
import os
import pathlib
import random
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

program = sys.argv[1]
figures_only = "--figures" in sys.argv
failures = []


def fail(text):
    failures.append(text)
    print("FAIL:", text, flush=True)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def get(port, path, timeout=5):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        connection.request("GET", path)
        response = connection.getresponse()
        return response.status, response.read().decode()
    finally:
        connection.close()


def wait_for(check, seconds, step=0.25):
    """check() until it is true or the time is up; its last value."""
    end = time.monotonic() + seconds
    value = None
    while time.monotonic() < end:
        try:
            value = check()
        except OSError:
            value = None
        if value:
            return value
        time.sleep(step)
    return value


def start_ptpdiag(work, name, seconds):
    metrics = free_port()
    err = open(work / (name + ".err"), "w")
    process = subprocess.Popen(
        [program, "--headless", "--demo", "--udp-port", str(free_port()), "--seconds", str(seconds),
         "--metrics", f"127.0.0.1:{metrics}", "--tick-stats"], stderr=err)
    if not wait_for(lambda: get(metrics, "/metrics", 1)[0] == 200, 10):
        fail(f"{name}: the endpoint did not answer")
    return process, metrics


def lateness(work, name):
    text = (work / (name + ".err")).read_text()
    found = re.search(r"lateness mean ([0-9.]+) ms, max ([0-9.]+) ms", text)
    if not found:
        fail(f"{name}: no tick statistics in {text!r}")
        return None
    return float(found.group(1)), float(found.group(2))


def query(web, expression):
    url = f"http://127.0.0.1:{web}/api/v1/query?" + urllib.parse.urlencode({"query": expression})
    with urllib.request.urlopen(url, timeout=5) as response:
        reply = json.load(response)
    return reply["data"]["result"] if reply.get("status") == "success" else []


def scalar(web, expression):
    result = query(web, expression)
    return float(result[0]["value"][1]) if result else None


def scraped_by_prometheus(work):
    prometheus = shutil.which("prometheus")
    promtool = shutil.which("promtool")
    if not prometheus or not promtool:
        fail("prometheus and promtool are needed (apt-get install prometheus)")
        return
    process, metrics = start_ptpdiag(work, "scraped", 40)
    web = free_port()
    (work / "prometheus.yml").write_text(
        "global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\n"
        "scrape_configs:\n  - job_name: ptpdiag\n    static_configs:\n"
        f"      - targets: ['127.0.0.1:{metrics}']\n")
    server = subprocess.Popen(
        [prometheus, f"--config.file={work / 'prometheus.yml'}", f"--storage.tsdb.path={work / 'data'}",
         f"--web.listen-address=127.0.0.1:{web}", "--log.level=warn"],
        stdout=subprocess.DEVNULL, stderr=open(work / "prometheus.err", "w"))
    try:
        if not wait_for(lambda: get(web, "/-/ready", 1)[0] == 200, 30):
            fail("prometheus did not become ready: " + (work / "prometheus.err").read_text()[-2000:])
            return
        if wait_for(lambda: scalar(web, 'up{job="ptpdiag"}') == 1, 20) is None:
            fail("up{job=\"ptpdiag\"} never became 1")
        moved = wait_for(lambda: scalar(web, "changes(ptpdiag_signal_dbm[30s])"), 25, 1)
        if not moved:
            fail("the signal level did not move in Prometheus")
        low = scalar(web, "min_over_time(ptpdiag_signal_dbm[1m])")
        high = scalar(web, "max_over_time(ptpdiag_signal_dbm[1m])")
        if low is None or high is None or not (-128 <= low <= high <= -28):
            fail(f"the signal level left the simulator's range: {low} .. {high} dBm")
        in_range = lambda value: value is not None and 25 <= value <= 75
        rate = wait_for(lambda: (lambda r: r if in_range(r) else None)(
            scalar(web, 'rate(ptpdiag_frames_total{result="good"}[10s])')), 20, 1)
        if not in_range(rate):
            fail(f"the frame counter does not grow at the demo radio's 50 hops/s: {rate}")
        channels = query(web, "ptpdiag_channel_noise_dbm")
        if len(channels) < 50 or any("frequency_mhz" not in c["metric"] for c in channels):
            fail(f"per-channel series missing: {len(channels)}")
        status, body = get(metrics, "/metrics")
        check = subprocess.run([promtool, "check", "metrics"], input=body, text=True, capture_output=True)
        if status != 200 or check.returncode != 0:
            fail(f"promtool check metrics: {check.stdout}{check.stderr}")
    finally:
        server.terminate()
        process.terminate()
        server.wait(timeout=20)
        process.wait(timeout=20)


def storm(work):
    quiet, _ = start_ptpdiag(work, "quiet", 8)
    quiet.wait(timeout=30)
    stormed, metrics = start_ptpdiag(work, "storm", 12)
    started = time.monotonic()

    # 1,000 scrapes spread over 5 s, so that some 20 timer ticks fall in
    # the storm: 200 a second, 16 at a time at most.
    def scrape(i):
        time.sleep(max(0.0, started + i * 0.005 - time.monotonic()))
        try:
            return get(metrics, "/metrics", 10)[0]
        except OSError:
            return 0

    with concurrent.futures.ThreadPoolExecutor(16) as pool:
        statuses = list(pool.map(scrape, range(1000)))
    took = time.monotonic() - started
    stormed.wait(timeout=40)
    answered = statuses.count(200)
    calm, busy = lateness(work, "quiet"), lateness(work, "storm")
    print(f"scrape storm: {answered} of 1000 answered in {took:.1f} s; timer lateness mean/max "
          f"{calm[0]:.2f}/{calm[1]:.1f} ms quiet, {busy[0]:.2f}/{busy[1]:.1f} ms in the storm"
          if calm and busy else "scrape storm: no figures", flush=True)
    if answered < 900:
        fail(f"only {answered} of 1000 scrapes were answered")
    if not figures_only and calm and busy and busy[0] > calm[0] + 20:
        fail(f"the storm delayed the timer: mean lateness {busy[0]} ms against {calm[0]} ms")


with tempfile.TemporaryDirectory() as folder:
    work = pathlib.Path(folder)
    if not figures_only:
        scraped_by_prometheus(work)
    storm(work)

if failures:
    print(f"{len(failures)} failure(s)")
    sys.exit(1)
print("prometheus checks passed")
