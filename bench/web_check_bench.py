#!/usr/bin/python3
"""Web monitor benchmark: `wendar-cli check --all` over web items on a local HTTP server.

1. N pages (default 50) on a server that answers every request after --delay-ms (default 200),
   then the same pages answered at once: wendar-cli with ParallelChecks 1 (one item after the
   other), 8 (the default) and 10, and urlwatch from Debian, which checks 10 pages at a time
   (installed with apt-get when missing). Each tool runs twice: the first check (every page new)
   and an unchanged pass. Wall times, the ratio to urlwatch, and the connections each run opened.
2. One page of --big-mib MiB (default 60): wall time and peak resident memory of wendar-cli for the
   first check and an unchanged one, with --baseline-build also for another build's wendar-cli.

The pages are served by a child process, so that peak memory figures of the measured programs do
not include the pages held by this script (ru_maxrss counts what a child had before exec).

usage: bench/web_check_bench.py BUILD_DIR [--items N] [--page-kib K] [--delay-ms MS]
                                [--big-mib M] [--baseline-build DIR] [--skip-peer]
"""
import argparse
import http.server
import multiprocessing
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request


def page(index, version, kib):
    filler = ("<p>段落 %d 的固定内容, 不在比较范围之内.</p>\n" % index).encode() * (kib * 1024 // 60 + 1)
    region = ("<!--begin--><h1>第%d页</h1><p>版本 %d</p><!--end-->\n" % (index, version)).encode()
    return b"<html><body>\n" + filler[: kib * 512] + region + filler[: kib * 512] + b"</body></html>\n"


def big_page(mib):
    line = "<p>段落的固定内容 line of the page %d</p>\n"
    body = bytearray()
    i = 0
    while len(body) < mib * 1024 * 1024:
        body += (line % i).encode()
        i += 1
    return bytes(body[: mib * 1024 * 1024])


def serve(port_queue, items, kib, delay, big_mib):
    """The server process: /slow/pageN.htm after the delay, /fast/pageN.htm at once, /big.htm;
    /_version?N sets the version of every small page, /_connections returns (and resets) the
    number of connections accepted."""
    state = {"version": 1, "connections": 0}
    lock = threading.Lock()
    pages = {}
    big = big_page(big_mib) if big_mib > 0 else b""

    def build(version):
        for i in range(items):
            pages[i] = page(i, version, kib)

    build(1)

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"  # keep-alive, so that a client may reuse its connections

        def setup(self):
            super().setup()
            # As web servers do: without it, a reused connection meets Nagle's algorithm and the
            # client's delayed acknowledgement (40 ms per response).
            self.connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            with lock:
                state["connections"] += 1

        def reply(self, body, status=200):
            head = ("HTTP/1.1 %d %s\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: %d\r\n\r\n" % (
                status, "OK" if status == 200 else "Not Found", len(body))).encode()
            self.wfile.write(head + body if len(body) < (1 << 20) else head)
            if len(body) >= (1 << 20):
                self.wfile.write(body)

        def do_GET(self):
            path = self.path
            if path.startswith("/_version?"):
                with lock:
                    build(int(path.split("?")[1]))
                return self.reply(b"ok")
            if path == "/_connections":
                with lock:
                    count, state["connections"] = state["connections"], 0
                return self.reply(str(count).encode())
            if path == "/big.htm":
                return self.reply(big)
            for prefix, wait in (("/slow/page", delay), ("/fast/page", 0)):
                if path.startswith(prefix) and path.endswith(".htm"):
                    if wait:
                        time.sleep(wait)
                    with lock:
                        body = pages.get(int(path[len(prefix):-4]))
                    if body is not None:
                        return self.reply(body)
            self.reply(b"not found", 404)

        def log_message(self, *args):
            pass

    class Server(http.server.ThreadingHTTPServer):
        request_queue_size = 128  # the default backlog of 5 stalls under parallel load
        daemon_threads = True

    server = Server(("127.0.0.1", 0), Handler)
    port_queue.put(server.server_address[1])
    server.serve_forever()


def control(port, path):
    with urllib.request.urlopen("http://127.0.0.1:%d%s" % (port, path), timeout=30) as response:
        return response.read().decode()


def run(command, env=None):
    """Runs a command to its end; returns wall seconds, peak RSS in MiB and its output."""
    begin = time.monotonic()
    process = subprocess.Popen(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=env)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.monotonic() - begin
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("%s failed:\n%s" % (" ".join(command), output.decode(errors="replace")))
    return elapsed, usage.ru_maxrss / 1024.0, output.decode(errors="replace")


def wendar_home(cli, urls, parallel):
    home = tempfile.mkdtemp(prefix="wendar-web-bench-")
    config = os.path.join(home, "config")
    env = dict(os.environ, XDG_CONFIG_HOME=config)
    for i, url in enumerate(urls):
        run([cli, "--home", home, "items", "add", "--name", "网页%d" % i, "--category", "2", "--address", url,
             "--include-from", "<!--begin-->", "--include-to", "<!--end-->"], env)
    if parallel is not None:
        run([cli, "--home", home, "settings", "ParallelChecks", str(parallel)], env)
    return home, env


def ensure_urlwatch():
    if shutil.which("urlwatch"):
        return True
    print("installing urlwatch from Debian ...")
    result = subprocess.run(["apt-get", "install", "-y", "--no-install-recommends", "urlwatch"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT,
                            env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    return result.returncode == 0 and shutil.which("urlwatch") is not None


def urlwatch_runs(urls):
    work = tempfile.mkdtemp(prefix="urlwatch-bench-")
    try:
        with open(os.path.join(work, "urls.yaml"), "w") as jobs:
            jobs.write("\n---\n".join("name: page%d\nurl: %s\n" % (i, url) for i, url in enumerate(urls)))
        command = ["urlwatch", "--urls", os.path.join(work, "urls.yaml"), "--config", os.path.join(work, "cfg.yaml"),
                   "--cache", os.path.join(work, "cache.db"), "--hooks", os.path.join(work, "hooks.py")]
        env = dict(os.environ, HOME=work)
        return [run(command, env)[0] for _ in range(2)]
    finally:
        shutil.rmtree(work, ignore_errors=True)


def pages_section(cli, port, options, speed, peer):
    urls = ["http://127.0.0.1:%d/%s/page%d.htm" % (port, speed, i) for i in range(options.items)]
    label = "server answers in %d ms" % options.delay_ms if speed == "slow" else "server answers at once"
    print("\n%d pages of %d KiB, %s" % (options.items, options.page_kib, label))
    peer_times = urlwatch_runs(urls) if peer else None
    if peer_times:
        print("  %-28s first %6.3f s   unchanged %6.3f s" % ("urlwatch (10 at a time)", *peer_times))
    for parallel in (1, 8, 10):
        home, env = wendar_home(cli, urls, parallel)
        try:
            control(port, "/_connections")
            times = []
            for _ in range(2):
                elapsed, _, output = run([cli, "--home", home, "check", "--all"], env)
                times.append(elapsed)
            connections = int(control(port, "/_connections"))
            line = "  %-28s first %6.3f s   unchanged %6.3f s   %3d connections" % (
                "wendar ParallelChecks %d" % parallel, times[0], times[1], connections)
            if peer_times:
                line += "   ratio to urlwatch %.2f / %.2f" % (times[0] / peer_times[0], times[1] / peer_times[1])
            print(line)
        finally:
            shutil.rmtree(home, ignore_errors=True)


def big_section(clis, port, mib):
    print("\none page of %d MiB (peak resident memory of the whole wendar-cli process)" % mib)
    for name, cli in clis:
        home, env = wendar_home(cli, ["http://127.0.0.1:%d/big.htm" % port], None)
        try:
            for label in ("first check", "unchanged"):
                elapsed, rss, _ = run([cli, "--home", home, "check", "--all"], env)
                print("  %-10s %-12s wall %6.3f s   peak RSS %6.1f MiB = %.2f x the page" % (
                    name, label, elapsed, rss, rss / mib))
        finally:
            shutil.rmtree(home, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--items", type=int, default=50)
    parser.add_argument("--page-kib", type=int, default=40)
    parser.add_argument("--delay-ms", type=int, default=200)
    parser.add_argument("--big-mib", type=int, default=60)
    parser.add_argument("--baseline-build", help="another build directory whose wendar-cli is measured as well")
    parser.add_argument("--skip-peer", action="store_true", help="do not run urlwatch")
    options = parser.parse_args()
    cli = os.path.join(options.build_dir, "bin", "wendar-cli")
    if not os.access(cli, os.X_OK):
        sys.exit("no wendar-cli at " + cli)
    peer = not options.skip_peer and ensure_urlwatch()
    if not options.skip_peer and not peer:
        print("urlwatch could not be installed; the peer comparison is left out")

    queue = multiprocessing.Queue()
    server = multiprocessing.Process(target=serve, args=(queue, options.items, options.page_kib,
                                                         options.delay_ms / 1000.0, options.big_mib), daemon=True)
    server.start()
    try:
        port = queue.get(timeout=120)
        pages_section(cli, port, options, "slow", peer)
        pages_section(cli, port, options, "fast", peer)
        if options.big_mib > 0:
            clis = [("this", cli)]
            if options.baseline_build:
                clis.append(("baseline", os.path.join(options.baseline_build, "bin", "wendar-cli")))
            big_section(clis, port, options.big_mib)
    finally:
        server.terminate()
        server.join(10)


if __name__ == "__main__":
    main()
