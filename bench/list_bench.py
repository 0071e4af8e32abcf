#!/usr/bin/env python3
"""The clients list of `qreport serve` at a bureau's scale, timed as the page meets it.

Makes N typical clients (qreport_make_clients: 5 to 60 employees each), then starts the server
twice over them: first with an empty cache folder, then again over the unchanged root. For each
start it prints the time from the start of the process to the first page of rows all computed
(what the page shows first), to the end of the pass over every folder, the time a page of rows
takes once the list is computed (a mean over pages of other offsets, filters and sorts), and the
server's peak memory. Each figure is also given as a ratio to the first start's whole
computation in the same run, which is what to compare between machines and loads.

Usage: bench/list_bench.py [BUILD_DIR] [N]        (default build/release 1000)
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
qreport = os.path.join(build, "qreport")
make_clients = os.environ.get("MAKE_CLIENTS", os.path.join(build, "bench", "qreport_make_clients"))
PAGE = 50


def get(base, query):
    with urllib.request.urlopen(base + "/api/clients?" + query, timeout=60) as answer:
        return json.loads(answer.read())


def start(work):
    began = time.monotonic()
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QREPORT_ANSWERS")}
    server = subprocess.Popen([qreport, "serve", "--root", os.path.join(work, "clients"), "--rates-dir", work,
                               "--cache-dir", os.path.join(work, "cache")], stdout=subprocess.PIPE, text=True, env=env)
    line = server.stdout.readline()
    found = re.search(r"(http://127\.0\.0\.1:\d+)/\?token=([0-9a-f]+)", line)
    if not found:
        raise SystemExit("qreport serve said: " + line)
    return server, began, found.group(1), found.group(2)


def one_start(work):
    """Times one start of the server; its figures in seconds and kB."""
    server, began, base, token = start(work)
    query = "token=" + token + "&limit=%d" % PAGE
    first_rows = None
    while True:
        page = get(base, query)
        now = time.monotonic() - began
        if first_rows is None and len(page["rows"]) == min(PAGE, page["clients"]) and \
                all(not r.get("pending") for r in page["rows"]):
            first_rows = now
        if not page["progress"]["running"] and page["clients"] == count:
            whole = now
            break
        time.sleep(0.02)
    asks = ["offset=%d" % (i * 37 % max(count - PAGE, 1)) for i in range(10)]
    asks += ["filter=client%%20%d" % i for i in range(5)]
    asks += ["sort=findings&desc=1", "sort=employer", "sort=quarter&offset=%d" % (count // 2), "sort=report",
             "filter=trading&sort=path"]
    paged = time.monotonic()
    for ask in asks:
        get(base, query.replace("&limit=%d" % PAGE, "&limit=%d&" % PAGE + ask))
    per_page = (time.monotonic() - paged) / len(asks)
    server.terminate()
    _, _, usage = os.wait4(server.pid, 0)
    return {"first rows": first_rows, "whole list": whole, "a page": per_page, "peak kB": usage.ru_maxrss}


def main():
    work = tempfile.mkdtemp(prefix="qreport-list.")
    try:
        subprocess.run([make_clients, work, str(count)], check=True, stdout=subprocess.DEVNULL)
        os.mkdir(os.path.join(work, "cache"))
        cold = one_start(work)
        warm = one_start(work)
        base = cold["whole list"]
        print("clients: %d   load: %s" % (count, os.getloadavg()))
        for name, figures in (("first start (empty cache)", cold), ("restart (unchanged root)", warm)):
            print(name)
            for key in ("first rows", "whole list", "a page"):
                print("  %-11s %8.3f s   %6.3f of the first whole list" % (key, figures[key], figures[key] / base))
            print("  %-11s %8d kB" % ("peak memory", figures["peak kB"]))
    finally:
        shutil.rmtree(work, ignore_errors=True)


main()
