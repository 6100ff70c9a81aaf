"""Deleting a message stays deleted and can be undone: a web item's change report is deleted with
the Delete key, the status text says so, a check of the unchanged page stores nothing, and Ctrl+Z
brings the report back with its id, as the list shows."""
import os
import shutil
import signal
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402

CHANGED = "网页内容更新了!"


def key(session, *keys):
    subprocess.run(["xdotool", "key", "--clearmodifiers"] + list(keys), env=session.env, capture_output=True,
                   timeout=10)


def windows(session):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(session.program.pid)],
                          env=session.env, capture_output=True, text=True, timeout=10).stdout.split()


def status_text(session):
    return session.value("当前状态")


def run(session):
    if not shutil.which("xdotool"):
        raise wendar_e2e.Skip("xdotool is not installed")
    server = wendar_e2e.PageServer("<html><body><p>第一版</p></body></html>")
    try:
        session.cli("items", "add", "--name", "新闻", "--category", "2", "--address", server.url)
        session.cli("check", "1")
        server.page = "<html><body><p>第二版</p></body></html>"
        session.cli("check", "1")
        rows = session.query("select ID, status from userdata order by ID")
        assert len(rows) == 2, rows

        session.launch()
        cell = session.find("table cell", CHANGED)
        # No window manager runs under Xvfb: the window is given the input focus once the splash is gone.
        wendar_e2e.wait_for(lambda: len(windows(session)) == 1, 10, what="the splash to go")
        for window in windows(session):
            subprocess.run(["xdotool", "windowfocus", "--sync", window], env=session.env, capture_output=True,
                           timeout=10)
        # A click on the row selects it and gives the list the keyboard.
        extents = cell.queryComponent().getExtents(0)  # screen coordinates
        subprocess.run(["xdotool", "mousemove", "--sync", str(extents.x + extents.width // 2),
                        str(extents.y + extents.height // 2), "click", "1"], env=session.env, capture_output=True,
                       timeout=10)
        key(session, "Delete")
        wendar_e2e.wait_for(lambda: session.query("select count(*) from userdata")[0][0] == 1, 15,
                            what="the report deleted")
        wendar_e2e.wait_for(lambda: status_text(session).startswith("已删除 1 条"), 10,
                            what="the deletion's status text")

        session.cli("check", "1")
        assert session.query("select count(*) from userdata")[0][0] == 1, "the deleted change came back"

        key(session, "ctrl+z")
        wendar_e2e.wait_for(lambda: session.query("select ID, status from userdata order by ID") == rows, 15,
                            what="the report back with its id and read state")
        session.find("table cell", CHANGED)
        assert session.terminate(signal.SIGTERM) == 0
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
