#!/usr/bin/python3
"""Many web items on many slow servers, and many items at all.

1. --items web items (default 500) over --hosts loopback addresses (default 50: 127.0.0.2 to
   127.0.0.51), one server on each that answers every request after --delay-ms (default 200) and
   counts the connections it holds open at once. `wendar-cli check --all` (the first check: every
   page new) beside urlwatch from Debian on the same pages, in the same run: wall times and their
   ratio (goal <= 0.4), wendar-cli's peak resident memory (goal <= 60 MiB) and the most
   connections any one server saw at once (goal <= 4).
2. With --scale: 1,000 and 10,000 items on the same servers answering at once: wall time and peak
   memory of `check --all` (goals: <= 100 MiB, 10,000 within 12x the time of 1,000), then
   `wendar-cli watch` over the 10,000 for three runs, its resident memory sampled (goal: flat).

With --baseline-build DIR the wendar-cli of another build is measured the same way.

usage: bench/many_hosts_bench.py BUILD_DIR [--items N] [--hosts H] [--delay-ms MS] [--scale]
                                 [--baseline-build DIR] [--skip-peer]
"""
import argparse
import http.server
import multiprocessing
import os
import shutil
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request


def serve(port_queue, hosts, delay):
    """The servers' process: one server per address on one port; 127.0.0.1 answers /_peak with the
    most connections any server held at once since the last asking (and resets it)."""
    lock = threading.Lock()
    state = {"open": {}, "peak": 0, "delay": delay}

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def setup(self):
            super().setup()
            self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            address = self.server.server_address[0]
            with lock:
                state["open"][address] = state["open"].get(address, 0) + 1
                state["peak"] = max(state["peak"], state["open"][address])

        def finish(self):
            super().finish()
            with lock:
                state["open"][self.server.server_address[0]] -= 1

        def do_GET(self):
            if self.path.startswith("/_peak"):
                with lock:
                    body, state["peak"] = str(state["peak"]).encode(), 0
            elif self.path.startswith("/_delay?"):
                state["delay"] = float(self.path.split("?")[1]) / 1000.0
                body = b"ok"
            else:
                if state["delay"]:
                    time.sleep(state["delay"])
                body = ("<html><body><h1>%s</h1><p>%s</p></body></html>\n" % (
                    self.server.server_address[0], self.path)).encode()
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    class Server(http.server.ThreadingHTTPServer):
        request_queue_size = 256
        daemon_threads = True
        allow_reuse_address = True

    first = Server(("127.0.0.1", 0), Handler)
    port = first.server_address[1]
    servers = [first] + [Server(("127.0.0.%d" % (i + 2), port), Handler) for i in range(hosts)]
    for server in servers[1:]:
        threading.Thread(target=server.serve_forever, daemon=True).start()
    port_queue.put(port)
    first.serve_forever()


def control(port, path):
    with urllib.request.urlopen("http://127.0.0.1:%d%s" % (port, path), timeout=30) as response:
        return response.read().decode()


def run(command, env=None):
    """Runs a command to its end; wall seconds, peak RSS in MiB."""
    begin = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.monotonic() - begin
    if os.waitstatus_to_exitcode(status) not in (0, 1):  # 1: a run that found nothing new is no failure
        sys.exit("%s failed with %d" % (" ".join(command), os.waitstatus_to_exitcode(status)))
    return elapsed, usage.ru_maxrss / 1024.0


def urls_for(port, items, hosts):
    """Each server's items one after the other in the list, as a user adds the pages of one site."""
    per_host = (items + hosts - 1) // hosts
    return ["http://127.0.0.%d:%d/page%d.htm" % (2 + i // per_host, port, i) for i in range(items)]


def wendar_home(cli, urls):
    """An application directory holding one web item per address (rows copied from one added by the CLI)."""
    home = tempfile.mkdtemp(prefix="wendar-hosts-bench-") + "/"
    env = dict(os.environ, XDG_CONFIG_HOME=home + "config")
    subprocess.run([cli, "--home", home, "items", "add", "--name", "网页0", "--category", "2", "--address", urls[0]],
                   env=env, check=True, stdout=subprocess.DEVNULL)
    with sqlite3.connect(home + "message.dat") as db:
        columns = [row[1] for row in db.execute("pragma table_info(usermessagetype)") if row[1] != "messagetypeid"]
        first = db.execute("select %s from usermessagetype" % ", ".join(columns)).fetchone()
        rows = []
        for i, url in enumerate(urls[1:], 1):
            row = dict(zip(columns, first))
            row.update(MessageTypeName="网页%d" % i, connAddress=url)
            rows.append([row[c] for c in columns])
        db.executemany("insert into usermessagetype (%s) values (%s)" % (", ".join(columns), ", ".join("?" * len(columns))),
                       rows)
    return home, env


def urlwatch_time(urls):
    work = tempfile.mkdtemp(prefix="urlwatch-hosts-bench-")
    try:
        with open(os.path.join(work, "urls.yaml"), "w") as jobs:
            jobs.write("\n---\n".join("name: page%d\nurl: %s\n" % (i, url) for i, url in enumerate(urls)))
        command = ["urlwatch", "--urls", os.path.join(work, "urls.yaml"), "--config", os.path.join(work, "cfg.yaml"),
                   "--cache", os.path.join(work, "cache.db"), "--hooks", os.path.join(work, "hooks.py")]
        return run(command, dict(os.environ, HOME=work))
    finally:
        shutil.rmtree(work, ignore_errors=True)


def hosts_section(clis, port, options, peer):
    urls = urls_for(port, options.items, options.hosts)
    print("%d web items over %d servers (127.0.0.2 ...), each answering after %d ms"
          % (options.items, options.hosts, options.delay_ms))
    peer_time = None
    if peer:
        peer_time, peer_rss = urlwatch_time(urls)
        control(port, "/_peak")
        print("  %-18s wall %6.2f s   peak RSS %5.1f MiB" % ("urlwatch", peer_time, peer_rss))
    for name, cli in clis:
        home, env = wendar_home(cli, urls)
        try:
            control(port, "/_peak")
            elapsed, rss = run([cli, "--home", home, "check", "--all"], env)
            peak = int(control(port, "/_peak"))
            line = "  %-18s wall %6.2f s   peak RSS %5.1f MiB (goal <= 60)   most connections at one server %d" \
                   " (goal <= 4)" % ("wendar-cli " + name, elapsed, rss, peak)
            if peer_time:
                line += "   ratio to urlwatch %.2f (goal <= 0.4)" % (elapsed / peer_time)
            print(line)
        finally:
            shutil.rmtree(home, ignore_errors=True)


def watch_rss(cli, home, env, seconds):
    """Resident memory of `wendar-cli watch` sampled for `seconds`: (after the first third, at the end, peak)."""
    process = subprocess.Popen([cli, "--home", home, "watch", "--interval-seconds", str(max(1, int(seconds / 3)))],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    samples = []
    begin = time.monotonic()
    while time.monotonic() - begin < seconds:
        time.sleep(0.25)
        with open("/proc/%d/status" % process.pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    samples.append(int(line.split()[1]) / 1024.0)
    process.send_signal(2)
    process.wait(60)
    third = samples[len(samples) // 3]
    return third, samples[-1], max(samples)


def scale_section(clis, port, options):
    control(port, "/_delay?0")
    print("\nmany items on the same servers answering at once")
    for name, cli in clis:
        times = {}
        for items in (1000, 10000):
            home, env = wendar_home(cli, urls_for(port, items, options.hosts))
            try:
                elapsed, rss = run([cli, "--home", home, "check", "--all"], env)
                times[items] = elapsed
                print("  %-18s %6d items: check --all wall %6.2f s   peak RSS %5.1f MiB (goal <= 100)"
                      % ("wendar-cli " + name, items, elapsed, rss))
                if items == 10000:
                    third, last, peak = watch_rss(cli, home, env, max(6.0, 3 * elapsed * 1.5))
                    print("  %-18s %6d items: watch, three runs: RSS %.1f MiB after the first, %.1f MiB at the end,"
                          " peak %.1f MiB (goal <= 100, flat)" % ("wendar-cli " + name, items, third, last, peak))
            finally:
                shutil.rmtree(home, ignore_errors=True)
        print("  %-18s 10,000 / 1,000 items: %.1f x the time (goal <= 12)"
              % ("wendar-cli " + name, times[10000] / times[1000]))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--items", type=int, default=500)
    parser.add_argument("--hosts", type=int, default=50)
    parser.add_argument("--delay-ms", type=int, default=200)
    parser.add_argument("--scale", action="store_true")
    parser.add_argument("--baseline-build")
    parser.add_argument("--skip-peer", action="store_true")
    options = parser.parse_args()
    clis = [("this", os.path.join(options.build_dir, "bin", "wendar-cli"))]
    if options.baseline_build:
        clis.append(("baseline", os.path.join(options.baseline_build, "bin", "wendar-cli")))
    peer = not options.skip_peer and shutil.which("urlwatch") is not None
    if not options.skip_peer and not peer:
        print("urlwatch is not installed (apt-get install urlwatch); the comparison is left out")
    queue = multiprocessing.Queue()
    server = multiprocessing.Process(target=serve, args=(queue, options.hosts, options.delay_ms / 1000.0), daemon=True)
    server.start()
    try:
        port = queue.get(timeout=60)
        hosts_section(clis, port, options, peer)
        if options.scale:
            scale_section(clis, port, options)
    finally:
        server.terminate()
        server.join(10)


if __name__ == "__main__":
    main()
