#!/usr/bin/env python3
"""The web view's cost to the link, and its stalled clients, in figures.

  web_clients.py PTPDIAG side-by-side [PAIRS]   (default 3 pairs of 40 s)
      A headless demo session with --serve and --tick-stats, without
      clients and with 16 event streams read at 4 messages a second,
      alternately: the timer's 99th-percentile lateness and the share of a
      core the program used (its user + system time over the run).
      Targets: p99 within 5 ms, and at most 2 % of a core more.

  web_clients.py PTPDIAG stall [MINUTES]        (default 10)
      How long the server takes to drop a client that stops reading: a page
      that has said it reads its stream (as / and /align do every 2 s),
      and a bare client with a 32 KB receive buffer (what that buffer holds
      the server cannot see unread); then clients of both kinds connecting
      and stalling for MINUTES, 16 at a time, with the program's resident
      memory every 30 s. Targets: a page dropped within 10 s, memory flat.
"""
import os
import re
import socket
import statistics
import subprocess
import sys
import threading
import time

program, mode = sys.argv[1], sys.argv[2]
arg = sys.argv[3] if len(sys.argv) > 3 else None


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def start(seconds, tick_stats=False):
    port = free_port()
    command = [program, "--headless", "--demo", "--udp-port", str(free_port()),
               "--seconds", str(seconds), "--serve", f"127.0.0.1:{port}"]
    if tick_stats:
        command.append("--tick-stats")
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    for _ in range(100):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return process, port
        except OSError:
            time.sleep(0.05)
    process.kill()
    sys.exit("ptpdiag did not start serving")


def open_stream(port):
    s = socket.create_connection(("127.0.0.1", port), timeout=5)
    s.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
    return s


def reader(port, stop, counts, index):
    """One event-stream client reading everything, as a phone does."""
    with open_stream(port) as s:
        s.settimeout(1)
        while not stop.is_set():
            try:
                data = s.recv(65536)
            except socket.timeout:
                continue
            if not data:
                return
            counts[index] += data.count(b"data: ")


def run_once(clients, seconds=40):
    process, port = start(seconds, tick_stats=True)
    stop = threading.Event()
    counts = [0] * clients
    threads = [threading.Thread(target=reader, args=(port, stop, counts, i)) for i in range(clients)]
    for t in threads:
        t.start()
    # The program's own time, from the process's accounting.
    _, status, usage = os.wait4(process.pid, 0)
    stop.set()
    for t in threads:
        t.join()
    err = process.stderr.read()
    found = re.search(r"lateness mean ([0-9.]+) ms, max ([0-9.]+) ms, p99 ([0-9.]+) ms", err)
    if not found:
        sys.exit(f"no tick statistics: {err!r}")
    cpu = 100 * (usage.ru_utime + usage.ru_stime) / seconds
    rate = statistics.mean(counts) / seconds if clients else 0
    return float(found.group(3)), float(found.group(1)), cpu, rate


def side_by_side(pairs):
    print("pair | clients | p99 lateness ms | mean ms | CPU % of a core | events/s per client")
    rows = []
    for pair in range(1, pairs + 1):
        for clients in (0, 16):
            p99, mean, cpu, rate = run_once(clients)
            rows.append((clients, p99, cpu))
            print(f"{pair} | {clients} | {p99:.1f} | {mean:.2f} | {cpu:.2f} | {rate:.2f}", flush=True)
    for clients in (0, 16):
        mine = [r for r in rows if r[0] == clients]
        print(f"median, {clients} clients: p99 {statistics.median(r[1] for r in mine):.1f} ms, "
              f"CPU {statistics.median(r[2] for r in mine):.2f} %")


def server_socket_open(port, client_port):
    """Whether the server's end of the connection from client_port is still
    established (from /proc/net/tcp: local port, remote port, state 01)."""
    with open("/proc/net/tcp") as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            local, remote, state = fields[1], fields[2], fields[3]
            if (int(local.split(":")[1], 16) == port and int(remote.split(":")[1], 16) == client_port
                    and state == "01"):
                return True
    return False


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as f:
        return int(re.search(r"VmRSS:\s+(\d+)", f.read()).group(1))


def stalling_client(port, buffer, says_it_reads):
    """A client that stops reading: after the head and first events, or,
    as a page does, once it has said it reads its stream."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, buffer)
    s.settimeout(5)
    s.connect(("127.0.0.1", port))
    s.sendall(b"GET /events HTTP/1.1\r\nHost: x\r\n\r\n")
    got = b""
    while b"event: stream\ndata: " not in got or not got.endswith(b"\n\n"):
        got += s.recv(4096)
    if says_it_reads:
        key = got.split(b"event: stream\ndata: ")[1].split(b"\n")[0].decode()
        with socket.create_connection(("127.0.0.1", port), timeout=5) as read:
            read.sendall(f"GET /events/read?stream={key} HTTP/1.1\r\n\r\n".encode())
            read.recv(4096)
    return s


def time_to_drop(port, buffer, says_it_reads):
    s = stalling_client(port, buffer, says_it_reads)
    since = time.monotonic()
    client_port = s.getsockname()[1]
    while server_socket_open(port, client_port) and time.monotonic() - since < 600:
        time.sleep(0.1)
    took = time.monotonic() - since
    s.close()
    return took


def stall(minutes):
    process, port = start(int(minutes * 60) + 300)
    # What a client's receive buffer holds, the server cannot see unread;
    # a page's word that it reads is what it can see.
    for buffer, says in [(65536, True), (65536, True), (32768, False), (32768, False)]:
        took = time_to_drop(port, buffer, says)
        kind = "a page that said it reads, then went quiet" if says else "a client that never said it reads"
        print(f"{kind}, receive buffer {buffer} bytes: dropped {took:.1f} s after it stopped reading",
              flush=True)
    print(f"{minutes} minutes of clients connecting and stalling, 16 at a time, half of them pages:")
    stalled = []
    end = time.monotonic() + minutes * 60
    next_report = time.monotonic()
    opened = 0
    while time.monotonic() < end:
        stalled = [s for s in stalled if server_socket_open(port, s.getsockname()[1]) or s.close()]
        while len(stalled) < 16:
            stalled.append(stalling_client(port, 32768, opened % 2 == 0))
            opened += 1
        if time.monotonic() >= next_report:
            print(f"  {minutes * 60 - (end - time.monotonic()):5.0f} s: {resident_kb(process.pid)} KB resident, "
                  f"{opened} clients so far", flush=True)
            next_report += 30
        time.sleep(0.5)
    for s in stalled:
        s.close()
    process.terminate()
    process.wait(timeout=30)


if mode == "side-by-side":
    side_by_side(int(arg or 3))
elif mode == "stall":
    stall(float(arg or 10))
else:
    sys.exit(__doc__)
