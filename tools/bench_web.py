#!/usr/bin/env python3
"""The figures of tools/bench-web.sh (see there): bench_web.py <demo folder> [requests]."""
import http.client
import json
import os
import socket
import statistics
import subprocess
import sys
import threading
import time

demo = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 200

with socket.socket() as s:
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
host = f"127.0.0.1:{port}"
log = open(os.path.join(demo, "..", "..", "rcpweb-bench.log"), "wb")
server = subprocess.Popen(["wine", os.path.join(demo, "rcpweb.exe"), "--listen", host], cwd=demo,
                          stdin=subprocess.DEVNULL, stdout=log, stderr=log)


def request(method, path, body=None, headers=None, connection=None):
    own = connection is None
    connection = connection or http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    connection.request(method, path, body, {"Host": host, **(headers or {})})
    response = connection.getresponse()
    data = response.read()
    if own:
        connection.close()
    return response.status, response.headers, data


try:
    for _ in range(300):
        try:
            if request("GET", "/api/session")[0] == 200:
                break
        except OSError:
            time.sleep(0.1)
    status, headers, body = request("GET", "/api/session")
    token = json.loads(body)["token"]
    change = {"Cookie": headers["Set-Cookie"].split(";")[0], "Origin": f"http://{host}",
              "X-CSRF-Token": token, "Content-Type": "application/json"}

    own = []
    for _ in range(3):
        status, headers, _ = request("POST", "/api/machine/read", "{}", change)
        assert status == 200, status
        timing = dict(part.strip().split(";dur=") for part in headers["Server-Timing"].split(","))
        own.append(float(timing["own"]))
        machine, waits = float(timing["machine"]), float(timing["waits"])
    print(f"machine read (3 records): {machine:.0f} ms, of which protocol pauses {waits:.0f} ms; "
          f"our own time median {statistics.median(own):.1f} ms, max {max(own):.1f} ms")

    for path in ["/api/phonebook", "/api/settings", "/api/machine"]:
        times = []
        connection = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
        for _ in range(count):
            start = time.perf_counter()
            status, _, _ = request("GET", path, connection=connection)
            times.append((time.perf_counter() - start) * 1000)
            assert status == 200
        connection.close()
        times.sort()
        print(f"cached {path}: median {statistics.median(times):.2f} ms, 95th {times[int(len(times) * 0.95)]:.2f} ms,"
              f" max {times[-1]:.2f} ms over {count} requests (as a client on this PC sees it)")

    errors = []
    def reader():
        try:
            status, _, _ = request("GET", "/api/phonebook")
            if status != 200:
                errors.append(status)
        except OSError as e:
            errors.append(str(e))
    threads = [threading.Thread(target=reader) for _ in range(100)]
    start = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    print(f"100 concurrent readers of the cached phonebook: {100 - len(errors)} answered, {len(errors)} errors, "
          f"{(time.perf_counter() - start) * 1000:.0f} ms in all")

    time.sleep(2)
    rss = "?"
    try:
        for line in open(f"/proc/{server.pid}/status"):
            if line.startswith("VmRSS:"):
                rss = line.split()[1]
    except OSError:
        pass
    print(f"idle memory (resident, under Wine): {int(rss) // 1024 if rss != '?' else '?'} MB")
    print(f"rcpweb.exe: {os.path.getsize(os.path.join(demo, 'rcpweb.exe')) // 1024} KB")
finally:
    server.terminate()
    server.wait(30)
