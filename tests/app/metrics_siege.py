#!/usr/bin/env python3
"""The metrics endpoint under a siege of sockets that never finish asking.

A headless demo session serves --metrics on loopback. IDLE sockets connect
and send nothing; DRIP sockets send a request one byte every half second
and never end it. Meanwhile well-formed GETs must each be answered with the
metrics, however many places the siege holds.

Usage: metrics_siege.py PTPDIAG [--figures] [IDLE DRIP]
  (--figures: print each GET's time and the program's peak memory)
"""
import os
import resource
import socket
import subprocess
import sys
import tempfile
import time

program = sys.argv[1]
figures_only = "--figures" in sys.argv
counts = [int(a) for a in sys.argv[2:] if a.isdigit()]
idle_count, drip_count = counts if len(counts) == 2 else (500, 200)
GETS = 10
# The fault this guards against: GETs missing a 1-second deadline.
DEADLINE_S = 1.0

soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
wanted = idle_count + drip_count + 64
if soft < wanted:
    resource.setrlimit(resource.RLIMIT_NOFILE, (min(hard, wanted), hard))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def open_quietly(port):
    s = socket.socket()
    s.setblocking(False)
    s.connect_ex(("127.0.0.1", port))
    return s


def timed_get(port):
    """Seconds until the whole answer came, and its status line."""
    start = time.monotonic()
    with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
        s.sendall(b"GET /metrics HTTP/1.1\r\nHost: x\r\n\r\n")
        reply = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            reply += chunk
    return time.monotonic() - start, reply.split(b"\r\n", 1)[0].decode(errors="replace"), reply


def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return 0.0


def main():
    port = free_port()
    err = tempfile.TemporaryFile()
    process = subprocess.Popen(
        [program, "--headless", "--demo", "--udp-port", str(free_port()), "--seconds", "60",
         "--metrics", f"127.0.0.1:{port}"], stderr=err)
    failures = []
    siege = []
    try:
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            try:
                timed_get(port)
                break
            except OSError:
                time.sleep(0.1)
        siege = [open_quietly(port) for _ in range(idle_count)]
        drips = [open_quietly(port) for _ in range(drip_count)]
        siege += drips
        request = b"GET /metrics HTTP/1.1\r\nX-Slow: " + b"a" * 4000
        times = []
        for g in range(GETS):
            # Each drip sends its next byte between the GETs.
            for d in drips:
                try:
                    d.send(request[g:g + 1])
                except OSError:
                    pass
            time.sleep(0.5)
            try:
                seconds, status, reply = timed_get(port)
            except OSError as e:
                failures.append(f"GET {g + 1}: {e}")
                continue
            times.append(seconds)
            if status != "HTTP/1.1 200 OK" or b"ptpdiag_link_up" not in reply:
                failures.append(f"GET {g + 1}: answered {status!r} without the metrics")
            elif seconds > DEADLINE_S:
                failures.append(f"GET {g + 1}: answered after {seconds:.2f} s")
        rss = peak_rss_mb(process.pid)
        if figures_only:
            shown = ", ".join(f"{t * 1000:.1f}" for t in times)
            print(f"{idle_count} idle + {drip_count} dripping sockets: GET answered in ms: {shown}")
            print(f"max {max(times) * 1000 if times else float('nan'):.1f} ms; "
                  f"ptpdiag peak RSS {rss:.1f} MB")
    finally:
        for s in siege:
            s.close()
        process.terminate()
        process.wait(timeout=10)
    if process.returncode not in (0, -15):
        err.seek(0)
        failures.append(f"ptpdiag exited {process.returncode}: {err.read().decode()}")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures and not figures_only else 0


sys.exit(main())
