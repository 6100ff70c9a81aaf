"""The window's X title is the program's caption alone (Qt appends no program name); the
toolbar's "退出" ends the program with status 0; with "Window启动时自动运行" off (enableAutoRun 0)
the autostart entry left by an earlier run is removed."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402


def run(session):
    entry = session.autostart_entry()
    os.makedirs(os.path.dirname(entry), exist_ok=True)
    with open(entry, "w", encoding="utf-8") as stale:
        stale.write("[Desktop Entry]\nType=Application\nExec=/old/wendar /R\n")
    session.cli("settings", "enableAutoRun", "0")
    session.launch()

    def window_title():
        # The UTF-8 title the window manager shows (WM_NAME, its Latin-1 twin, never had the suffix).
        found = subprocess.run(["xdotool", "search", "--name", "^Wendar V1\\.03"], env=session.env,
                               capture_output=True, text=True, timeout=15)
        for window in found.stdout.split():
            title = subprocess.run(["xprop", "-id", window, "-notype", "_NET_WM_NAME"], env=session.env,
                                   capture_output=True, text=True, timeout=15).stdout.strip()
            if title:
                return title
        return None

    title = wendar_e2e.wait_for(window_title, 60, what="the main window's title")
    assert title == '_NET_WM_NAME = "Wendar V1.03"', title
    session.press(session.find("push button", "退出"))
    status = session.program.wait(15)
    assert status == 0, "exit status %d" % status
    assert not os.path.exists(entry), "the autostart entry is still there"


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
