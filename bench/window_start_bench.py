#!/usr/bin/python3
"""Start-up benchmark of the desktop program under Xvfb.

Prepares an application directory with one web item and N stored messages (100,000 by default),
then starts `wendar` on it and, in the same run and the same way, a bare Qt main window; each is
timed from the start of the process until the X server maps its window (build/bin/map_watcher), R
times (the median is printed, with the ratio to the bare window: goal <= 1.3). Prints wendar's
resident memory at rest a few seconds after the window showed (goal <= 80 MiB), and again after the
first message is shown (a click on the first row of the list), with that of the
QtWebEngineProcess helpers separately; the web engine starts only for that first message. For
reference it also times the bare window with a menu bar and a Chinese label (bare_text_window),
the floor of any window with text.

With --items-compare, the start with 10 check items in the tree is timed beside the start with
10,000 (no messages; goal: within 1.5x).

Every program runs on a session bus of the run's own, as on any desktop (the caller's when it has
one): without a bus, Qt's menu bar and accessibility make libdbus start dbus-launch before the
window maps, a cost only a session without a desktop pays. --no-session-bus measures that case.

usage: bench/window_start_bench.py BUILD_DIR [--messages N] [--runs R] [--items-compare] [--no-session-bus]
"""
import argparse
import os
import queue
import shutil
import signal
import sqlite3
import statistics
import subprocess
import sys
import tempfile
import threading
import time


def start_session_bus(env):
    """A private session bus, its address in env; None when the caller's bus is to be used."""
    if env.get("DBUS_SESSION_BUS_ADDRESS") or not shutil.which("dbus-daemon"):
        return None
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"], env=env,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    address = bus.stdout.readline().strip()
    if not address:  # the daemon did not start: the run goes without a bus, and says so
        bus.kill()
        bus.wait(5)
        return None
    env["DBUS_SESSION_BUS_ADDRESS"] = address
    return bus


def start_xvfb(env):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                            pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    env["DISPLAY"] = ":" + number.decode().strip()
    return xvfb


WATCHER = None  # the MapWatcher of the run


class MapWatcher:
    """The X server's MapNotify events, as build/bin/map_watcher prints them: (monotonic time, title)."""

    def __init__(self, build, env):
        self.process = subprocess.Popen([os.path.join(build, "bin", "map_watcher")], env=env, stdout=subprocess.PIPE,
                                        text=True)
        if self.process.stdout.readline().strip() != "ready":
            raise SystemExit("map_watcher did not start")
        self.maps = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            stamp, _, title = line.rstrip("\n").partition(" ")
            self.maps.put((float(stamp), title))

    def next_map(self, title, after, process, timeout):
        """Time of the first map after `after` of a window whose title contains `title`."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline and process.poll() is None:
            try:
                stamp, shown = self.maps.get(timeout=0.5)
            except queue.Empty:
                continue
            if stamp >= after and title in shown:
                return stamp
        return None

    def stop(self):
        self.process.kill()
        self.process.wait(5)


def time_to_window(argv, env, title, timeout=60):
    """Seconds from the start of the process until the X server maps its window; the process still runs."""
    start = time.monotonic()
    process = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    mapped = WATCHER.next_map(title, start, process, timeout)
    if mapped is None:
        process.kill()
        raise SystemExit("%s did not show its window" % argv[0])
    return mapped - start, process


def status_kib(pid, field):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(field + ":"):
                return int(line.split()[1])
    return 0


def peak_rss_kib(pid):
    return status_kib(pid, "VmHWM")


def helper_pids(pid):
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            with open("/proc/%s/comm" % entry) as comm:
                name = comm.read().strip()
        except OSError:
            continue
        if int(fields[1]) == pid and "QtWebEngine" in name:
            found.append(int(entry))
    return found


def rss_kib(pid):
    return status_kib(pid, "VmRSS")


def window_id(env, title):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title], env=env,
                            capture_output=True, text=True)
    return result.stdout.split()[0]


def show_first_message(env, pid):
    """Clicks the first row of the list (the window's default layout) and waits for the web engine's
    helper process; False when none appeared."""
    window = window_id(env, "Wendar")
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        subprocess.run(["xdotool", "mousemove", "--window", window, "300", "99", "click", "1"], env=env,
                       capture_output=True)
        for _ in range(20):
            if helper_pids(pid):
                return True
            time.sleep(0.1)
    return False


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        return process.wait(15)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(5)
        return None


def prepare(build, home, env, messages):
    subprocess.run([os.path.join(build, "bin", "wendar-cli"), "--home", home, "items", "add", "--name", "新闻",
                    "--category", "2", "--address", "http://127.0.0.1:9/"], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    with sqlite3.connect(os.path.join(home, "message.dat")) as db:
        item = db.execute("select messagetypeid from usermessagetype").fetchone()[0]
        rows = ((i % 3 == 0 and 1 or 0, item, "第 %d 条消息" % i, "<p>%d</p>" % i) for i in range(messages))
        db.executemany("insert into userdata (status, MessageTypeID, MessageCategory, MessageTypeName, SourceInfo,"
                       " SourceContent) values (?, ?, 2, '新闻', ?, ?)", rows)


def add_items(home, count):
    """count - 1 more items, copies of the first with their own names and addresses."""
    with sqlite3.connect(os.path.join(home, "message.dat")) as db:
        columns = [row[1] for row in db.execute("pragma table_info(usermessagetype)") if row[1] != "messagetypeid"]
        first = dict(zip(columns, db.execute("select %s from usermessagetype" % ", ".join(columns)).fetchone()))
        rows = []
        for i in range(1, count):
            first.update(MessageTypeName="网页%d" % i, connAddress="http://127.0.0.1:9/%d.htm" % i)
            rows.append([first[c] for c in columns])
        db.executemany("insert into usermessagetype (%s) values (%s)" % (", ".join(columns), ", ".join("?" * len(columns))),
                       rows)


def items_compare(build, tmp, env, runs):
    times = {}
    for count in (10, 10000):
        home = os.path.join(tmp, "items%d" % count) + "/"
        os.makedirs(home)
        prepare(build, home, env, 0)
        add_items(home, count)
        times[count] = []
        for _ in range(runs):
            seconds, process = time_to_window([os.path.join(build, "bin", "wendar"), "--home", home], env, "Wendar")
            times[count].append(seconds)
            stop(process)
    few, many = statistics.median(times[10]), statistics.median(times[10000])
    print("window shown with 10 items:     %.0f ms (median of %d)" % (few * 1000, runs))
    print("window shown with 10,000 items: %.0f ms; ratio %.2f (goal <= 1.5)" % (many * 1000, many / few))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--messages", type=int, default=100000)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--items-compare", action="store_true")
    parser.add_argument("--no-session-bus", action="store_true")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            raise SystemExit("%s is needed" % tool)
    tmp = tempfile.mkdtemp(prefix="wendar-bench-")
    env = dict(os.environ)
    env.update({"XDG_CONFIG_HOME": os.path.join(tmp, "config"), "XDG_RUNTIME_DIR": tmp, "LANG": "C.UTF-8"})
    if os.geteuid() == 0:
        env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")  # the web engine refuses root otherwise
    for key in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "WENDAR_HOME", "QT_ACCESSIBILITY"):
        env.pop(key, None)
    if args.no_session_bus:
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        bus = None
    else:
        bus = start_session_bus(env)
    print("session bus:                 %s" % ("the run's own" if bus else "the caller's"
                                                if env.get("DBUS_SESSION_BUS_ADDRESS") else "none"))
    xvfb = start_xvfb(env)
    global WATCHER
    WATCHER = MapWatcher(build, env)
    try:
        if args.items_compare:
            return items_compare(build, tmp, env, args.runs)
        home = os.path.join(tmp, "home") + "/"
        os.makedirs(home)
        prepare(build, home, env, args.messages)
        wendar_times, bare_times, engine_times, text_times = [], [], [], []
        rss, bare_rss, helpers, anon, mapped = 0, 0, 0, 0, 0
        rest, shown, rest_helpers, shown_ok = 0, 0, 0, True
        for _ in range(args.runs):
            seconds, process = time_to_window([os.path.join(build, "bin", "bare_qt_window")], env, "BareWindow")
            bare_times.append(seconds)
            time.sleep(0.5)
            bare_rss = max(bare_rss, peak_rss_kib(process.pid))
            stop(process)
            seconds, process = time_to_window([os.path.join(build, "bin", "bare_text_window")], env, "BareWindow")
            text_times.append(seconds)
            stop(process)
            seconds, process = time_to_window([os.path.join(build, "bin", "bare_qt_window_webengine")], env,
                                              "BareWindow")
            engine_times.append(seconds)
            stop(process)
            seconds, process = time_to_window([os.path.join(build, "bin", "wendar"), "--home", home], env, "Wendar")
            wendar_times.append(seconds)
            time.sleep(3)  # let the first listing and the timers run
            rss = max(rss, peak_rss_kib(process.pid))
            rest = max(rest, rss_kib(process.pid))
            rest_helpers = max(rest_helpers, sum(rss_kib(pid) for pid in helper_pids(process.pid)))
            anon = status_kib(process.pid, "RssAnon")
            mapped = status_kib(process.pid, "RssFile")
            if show_first_message(env, process.pid):
                time.sleep(3)  # the engine loads the page
                shown = max(shown, rss_kib(process.pid))
                helpers = max(helpers, sum(rss_kib(pid) for pid in helper_pids(process.pid)))
            else:
                shown_ok = False
            status = stop(process)
            if status != 0:
                raise SystemExit("wendar ended with status %s" % status)
        wendar, bare = statistics.median(wendar_times), statistics.median(bare_times)
        print("messages stored:             %d" % args.messages)
        print("bare Qt window shown after:  %.0f ms (median of %d)" % (bare * 1000, args.runs))
        print("wendar window shown after:   %.0f ms (median of %d)" % (wendar * 1000, args.runs))
        print("ratio:                       %.2f (goal <= 1.3)" % (wendar / bare))
        text = statistics.median(text_times)
        print("bare window + menu bar + Chinese label (the floor of a window with text): %.0f ms;"
              " wendar / that: %.2f" % (text * 1000, wendar / text))
        engine = statistics.median(engine_times)
        print("bare window + web engine libraries shown after: %.0f ms; wendar / that: %.2f"
              % (engine * 1000, wendar / engine))
        print("wendar RSS at rest:          %.1f MiB (goal <= 80), peak %.1f MiB; bare window: %.1f MiB;"
              " web engine helpers at rest: %.1f MiB" % (rest / 1024, rss / 1024, bare_rss / 1024, rest_helpers / 1024))
        if shown_ok:
            print("after the first message:     %.1f MiB, web engine helpers %.1f MiB" % (shown / 1024, helpers / 1024))
        else:
            print("after the first message:     the web engine did not start (no message shown)")
        print("wendar now: %.1f MiB own (anonymous), %.1f MiB mapped files (shared libraries, fonts)"
              % (anon / 1024, mapped / 1024))
    finally:
        WATCHER.stop()
        xvfb.terminate()
        xvfb.wait(5)
        if bus:
            bus.terminate()
            bus.wait(5)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
