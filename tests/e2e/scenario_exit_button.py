"""The toolbar's "退出" ends the program with status 0; with "Window启动时自动运行" off
(enableAutoRun 0) the autostart entry left by an earlier run is removed."""
import os
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
    session.press(session.find("push button", "退出"))
    status = session.program.wait(15)
    assert status == 0, "exit status %d" % status
    assert not os.path.exists(entry), "the autostart entry is still there"


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
