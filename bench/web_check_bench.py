#!/usr/bin/python3
"""Web monitor benchmark: 50 web items on a local HTTP server, the whole `wendar-cli check --all`.

Runs three passes over the same items: the first check of every page (all stored), an unchanged
pass (nothing stored) and a pass where every page changed inside its region (all stored again),
and prints wall time and peak resident memory of each wendar-cli run.

usage: bench/web_check_bench.py BUILD_DIR [--items N] [--page-kib K]
"""
import argparse
import http.server
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time


class QuietServer(http.server.ThreadingHTTPServer):
    request_queue_size = 128  # the default backlog of 5 stalls under parallel load
    daemon_threads = True


def make_handler(pages):
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            body = pages.get(self.path)
            self.send_response(200 if body is not None else 404)
            body = body if body is not None else b"not found"
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    return Handler


def page(index, version, kib):
    filler = ("<p>段落 %d 的固定内容, 不在比较范围之内.</p>\n" % index).encode() * (kib * 1024 // 60 + 1)
    region = ("<!--begin--><h1>第%d页</h1><p>版本 %d</p><!--end-->\n" % (index, version)).encode()
    ad = ("<!--ad-->%f<!--/ad-->\n" % time.time()).encode()
    return b"<html><body>\n" + filler[: kib * 512] + region + ad + filler[: kib * 512] + b"</body></html>\n"


def run_cli(cli, home, *args):
    begin = time.monotonic()
    process = subprocess.Popen([cli, "--home", home, *args], stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    process.returncode = os.waitstatus_to_exitcode(status)
    elapsed = time.monotonic() - begin
    if process.returncode != 0:
        sys.exit("wendar-cli %s failed (%d):\n%s" % (" ".join(args), process.returncode, output.decode(errors="replace")))
    return elapsed, usage.ru_maxrss, output.decode(errors="replace")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build_dir")
    parser.add_argument("--items", type=int, default=50)
    parser.add_argument("--page-kib", type=int, default=40)
    options = parser.parse_args()
    cli = os.path.join(options.build_dir, "bin", "wendar-cli")
    if not os.access(cli, os.X_OK):
        sys.exit("no wendar-cli at " + cli)

    pages = {}
    server = QuietServer(("127.0.0.1", 0), make_handler(pages))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    port = server.server_address[1]
    home = tempfile.mkdtemp(prefix="wendar-web-bench-")
    try:
        for i in range(options.items):
            pages["/page%d.htm" % i] = page(i, 1, options.page_kib)
            run_cli(cli, home, "items", "add", "--name", "网页%d" % i, "--category", "2", "--address",
                    "http://127.0.0.1:%d/page%d.htm" % (port, i), "--include-from", "<!--begin-->",
                    "--include-to", "<!--end-->", "--exclude", "<!--ad-->", "<!--/ad-->")
        print("%d web items, pages of %d KiB, server 127.0.0.1:%d" % (options.items, options.page_kib, port))
        for label, version in (("first check", 1), ("unchanged", 1), ("all changed", 2)):
            for i in range(options.items):
                pages["/page%d.htm" % i] = page(i, version, options.page_kib)
            elapsed, max_rss_kib, output = run_cli(cli, home, "check", "--all")
            found = [line for line in output.splitlines() if line.startswith("新消息")]
            print("%-12s wall %6.3f s   peak RSS %6.1f MiB   %s" % (label, elapsed, max_rss_kib / 1024.0,
                                                                 found[-1] if found else ""))
    finally:
        server.shutdown()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    main()
