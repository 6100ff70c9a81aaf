"""Driver for end-to-end scenarios of the desktop program.

A Session brings up a private X server (Xvfb), a session bus and the accessibility bus, prepares
an application directory, and starts the real `wendar` on it. Controls are found by their
accessible names through AT-SPI and pressed the way a screen reader does. Every wait is bounded;
everything started is stopped by its pid when the session ends.

A scenario is one file `scenario_*.py` with a `run(session)` function; see scenario_check_web_item.py.
Run one with: /usr/bin/python3 tests/e2e/scenario_x.py --wendar build/bin/wendar --cli build/bin/wendar-cli
Exit status 77 means skipped (no Xvfb or no pyatspi).
"""
import argparse
import http.server
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77


class Skip(Exception):
    pass


def wait_for(condition, timeout, interval=0.1, what="condition"):
    """Polls condition() until it returns a true value or timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(interval)


class PageServer:
    """A loopback HTTP server whose page text a scenario can change."""

    def __init__(self, page):
        self.page = page
        outer = self

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                body = outer.page.encode("utf-8")
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        http.server.ThreadingHTTPServer.request_queue_size = 128
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = "http://127.0.0.1:%d/" % self.server.server_address[1]
        self.thread = threading.Thread(target=self.server.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


NOTIFICATIONS_XML = """<node><interface name="org.freedesktop.Notifications">
<method name="Notify"><arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
<arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
<arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/></method>
<method name="GetCapabilities"><arg type="as" direction="out"/></method>
<method name="GetServerInformation"><arg type="s" direction="out"/><arg type="s" direction="out"/>
<arg type="s" direction="out"/><arg type="s" direction="out"/></method>
<signal name="ActionInvoked"><arg type="u"/><arg type="s"/></signal>
<signal name="NotificationClosed"><arg type="u"/><arg type="u"/></signal>
</interface></node>"""


class NotificationService:
    """A stand-in for the desktop's notification daemon on the session bus: records every
    Notify call as (summary, body)."""

    def __init__(self, bus_address):
        from gi.repository import Gio, GLib
        self.Gio, self.GLib = Gio, GLib
        self.shown = []
        self.ready = threading.Event()
        self.context = GLib.MainContext.new()
        self.loop = GLib.MainLoop.new(self.context, False)
        self.thread = threading.Thread(target=self._serve, args=(bus_address,), daemon=True)
        self.thread.start()
        if not self.ready.wait(10):
            raise AssertionError("the notification service did not start")

    def _serve(self, address):
        Gio, GLib = self.Gio, self.GLib
        self.context.push_thread_default()
        flags = Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION
        self.connection = Gio.DBusConnection.new_for_address_sync(address, flags, None, None)
        info = Gio.DBusNodeInfo.new_for_xml(NOTIFICATIONS_XML).interfaces[0]

        def on_call(connection, sender, path, interface, method, parameters, invocation):
            if method == "Notify":
                values = parameters.unpack()
                self.shown.append((values[3], values[4]))
                invocation.return_value(GLib.Variant("(u)", (len(self.shown),)))
            elif method == "GetCapabilities":
                invocation.return_value(GLib.Variant("(as)", (["actions", "body"],)))
            else:
                invocation.return_value(GLib.Variant("(ssss)", ("fake", "wendar-e2e", "1", "1.2")))

        self.connection.register_object("/org/freedesktop/Notifications", info, on_call, None, None)
        result = self.connection.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                           "RequestName", GLib.Variant("(su)", ("org.freedesktop.Notifications", 4)),
                                           None, Gio.DBusCallFlags.NONE, 5000, None)
        if result.unpack()[0] != 1:
            return
        self.ready.set()
        self.loop.run()
        self.context.pop_thread_default()

    def close(self):
        self.context.invoke_full(self.GLib.PRIORITY_DEFAULT, lambda: self.loop.quit() and False)
        self.thread.join(5)


class Session:
    def __init__(self, wendar, cli):
        self.wendar = os.path.abspath(wendar)
        self.cli_path = os.path.abspath(cli)
        self.processes = []
        self.program = None
        self.notifications = None
        self.tmp = tempfile.mkdtemp(prefix="wendar-e2e-")
        self.home = os.path.join(self.tmp, "home") + "/"
        os.makedirs(self.home)
        self.runtime = os.path.join(self.tmp, "runtime")
        os.makedirs(self.runtime, mode=0o700)
        self.env = dict(os.environ)
        self.env.update({
            "XDG_CONFIG_HOME": os.path.join(self.tmp, "config"),
            "XDG_RUNTIME_DIR": self.runtime,
            "QT_ACCESSIBILITY": "1",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            # The scenarios read the Chinese texts: whatever language the machine's locale names.
            "LANG": "C.UTF-8",
            "LC_ALL": "C.UTF-8",
            "NO_AT_BRIDGE": "0",
        })
        if os.geteuid() == 0:
            # The web engine's sandbox refuses to run as root; tests and CI run as root.
            self.env.setdefault("QTWEBENGINE_DISABLE_SANDBOX", "1")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env.pop("WENDAR_HOME", None)

    # --- the desktop -------------------------------------------------------------------------
    def start_desktop(self):
        if not shutil.which("Xvfb"):
            raise Skip("Xvfb is not installed")
        try:
            import pyatspi  # noqa: F401  (only to know it is there)
        except ImportError:
            raise Skip("python3-pyatspi is not installed")
        read_end, write_end = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x900x24", "-nolisten", "tcp"],
                    pass_fds=[write_end])
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip():
            raise AssertionError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode().strip()
        bus = self._spawn(["dbus-daemon", "--session", "--nofork", "--print-address=1"], stdout=subprocess.PIPE)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().decode().strip()
        self._spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        # pyatspi reads the buses from the environment when it is first imported.
        for key in ("DISPLAY", "DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"):
            os.environ[key] = self.env[key]
        # The program looks for the accessibility bus once, at start: it must be up before.
        wait_for(self._accessibility_bus_up, 20, interval=0.1, what="the accessibility bus")
        # The registry too (started on the first question): a program that comes up before it
        # may never show on the desktop's list.
        import pyatspi
        wait_for(lambda: pyatspi.Registry.getDesktop(0).childCount >= 0, 20, interval=0.1,
                 what="the accessibility registry")

    def _accessibility_bus_up(self):
        probe = subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply", "/org/a11y/bus",
                                "org.a11y.Bus.GetAddress"], env=self.env, capture_output=True, text=True, timeout=10)
        return probe.returncode == 0 and "unix:" in probe.stdout

    def start_notification_service(self):
        """The desktop notifications the program sends land in self.notifications.shown."""
        self.notifications = NotificationService(self.env["DBUS_SESSION_BUS_ADDRESS"])
        return self.notifications

    def _spawn(self, argv, **kwargs):
        process = subprocess.Popen(argv, env=self.env, stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    # --- the program -------------------------------------------------------------------------
    def cli(self, *args):
        """wendar-cli on the session's application directory; its output."""
        result = subprocess.run([self.cli_path, "--home", self.home] + list(args), env=self.env,
                                capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            raise AssertionError("wendar-cli %s: %s" % (" ".join(args), result.stderr))
        return result.stdout

    def launch(self, *args):
        self.program = subprocess.Popen([self.wendar, "--home", self.home] + list(args), env=self.env,
                                        stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        return self.program

    def app(self, timeout=90):
        import pyatspi

        def find():
            desktop = pyatspi.Registry.getDesktop(0)
            for i in range(desktop.childCount):
                child = desktop.getChildAtIndex(i)
                if child is not None and child.name == "wendar":
                    return child
            return None

        return wait_for(find, timeout, interval=0.3, what="the wendar window on the accessibility bus")

    def find(self, role, name, timeout=60, root=None, described=False):
        """The first node with the role name (e.g. "push button", or a tuple of them, as Qt reports
        some controls under either) and accessible name; with described, the accessible description
        (a label that shows a value is named by its value and described by what it is)."""
        roles = (role,) if isinstance(role, str) else role

        def walk(node, depth):
            if node is None or depth > 25:
                return None
            try:
                if node.getRoleName() in roles and (node.description if described else node.name) == name:
                    return node
                for i in range(node.childCount):
                    found = walk(node.getChildAtIndex(i), depth + 1)
                    if found is not None:
                        return found
            except Exception:
                return None
            return None

        return wait_for(lambda: walk(root or self.app(), 0), timeout, interval=0.3,
                        what="%s %r" % ("/".join(roles), name))

    def click(self, node):
        """A real left click (xdotool) in the middle of the node, where the accessibility bus says it is."""
        import pyatspi

        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        assert box.width > 0 and box.height > 0, "the node is not on screen"
        subprocess.run(["xdotool", "mousemove", "--sync", str(box.x + box.width // 2), str(box.y + box.height // 2),
                        "click", "1"], env=self.env, check=True, timeout=15)

    @staticmethod
    def press(node):
        node.queryAction().doAction(0)

    @staticmethod
    def text(node):
        """A label's text: the text interface, or its name."""
        try:
            text = node.queryText()
            return text.getText(0, text.characterCount)
        except NotImplementedError:
            return node.name

    def value(self, description):
        """What the label described so shows: "页次" (the page, "1/3页"), "消息数" (the count,
        "每页:100/共:250条"), "当前状态" (the status text), "日期". Found afresh each time: the
        accessibility library keeps what it read of a node it holds."""
        label = self.find("label", description, described=True)
        label.clear_cache()
        return self.text(label)

    @staticmethod
    def select(node):
        """Selects a row or tree item the way a screen reader does."""
        parent = node.parent
        try:
            table = parent.queryTable()
            table.addRowSelection(table.getRowAtIndex(node.getIndexInParent()))
            return
        except NotImplementedError:
            pass
        parent.querySelection().selectChild(node.getIndexInParent())

    def query(self, sql):
        with sqlite3.connect(os.path.join(self.home, "message.dat"), timeout=10) as db:
            return db.execute(sql).fetchall()

    def terminate(self, sig=signal.SIGTERM, timeout=15):
        """Sends the signal and returns the exit status."""
        self.program.send_signal(sig)
        try:
            return self.program.wait(timeout)
        except subprocess.TimeoutExpired:
            self.program.kill()
            self.program.wait(5)
            raise AssertionError("wendar did not end within %d s of the signal" % timeout)

    def autostart_entry(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "autostart", "wendar.desktop")

    def close(self):
        if self.notifications is not None:
            self.notifications.close()
        if self.program is not None and self.program.poll() is None:
            self.program.kill()
            self.program.wait(5)
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait(5)
        shutil.rmtree(self.tmp, ignore_errors=True)


def main(run):
    """The entry point of a scenario file: parses the paths, runs the scenario, reports."""
    parser = argparse.ArgumentParser()
    parser.add_argument("--wendar", required=True)
    parser.add_argument("--cli", required=True)
    args = parser.parse_args()
    session = Session(args.wendar, args.cli)
    try:
        session.start_desktop()
        run(session)
    except Skip as reason:
        print("skipped:", reason)
        return SKIP
    finally:
        session.close()
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit("run a scenario_*.py file instead")
