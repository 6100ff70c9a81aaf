"""Reading a message: selecting its row in the list shows it in the detail pane (header strip and
page file), and after AutoMarkRead seconds with the window in front it is marked read."""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402

CONTENT = "本月销售额增长百分之十二"


def windows(session):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(session.program.pid)],
                          env=session.env, capture_output=True, text=True, timeout=10).stdout.split()


def run(session):
    if not shutil.which("xdotool"):
        raise wendar_e2e.Skip("xdotool is not installed")
    session.cli("items", "add", "--name", "我的邮箱", "--category", "4", "--address", "127.0.0.1")
    session.cli("settings", "AutoMarkRead", "2")
    item = session.query("select messagetypeid from usermessagetype where MessageTypeName='我的邮箱'")[0][0]
    session.query(
        "insert into userdata (status,UserID,UserName,MessageTypeID,MessageCategory,MessageTypeName,SourceDate,"
        "SourceFromName,SourceInfo,SourceToName,SourceContent) values (0,88,'morvaten',%d,4,'我的邮箱',"
        "'2026/12/06-09:00','王五','月度报告','王经理','%s')" % (int(item), CONTENT))
    message = session.query("select max(ID) from userdata")[0][0]

    session.launch()
    cell = session.find("table cell", "月度报告")
    # No window manager runs under Xvfb: the window is given the input focus, so it is in front
    # (once the splash, which comes over it for a moment, is gone).
    for window in wendar_e2e.wait_for(lambda: len(windows(session)) == 1 and windows(session), 10,
                                      what="the splash to go"):
        subprocess.run(["xdotool", "windowfocus", "--sync", window], env=session.env, capture_output=True,
                       timeout=10)
    # Taken before the selection: on a loaded machine its call may return a second after the
    # countdown began, while the message first shown creates the browser.
    selected = time.monotonic()
    session.select(cell)
    # The detail pane shows the record: its header strip and the page file it loads.
    session.find("label", "发送人:王五")
    page = os.path.join(session.home, "data", "content1.htm")

    def page_written():
        if not os.path.exists(page):
            return False
        with open(page, encoding="utf-8-sig") as text:
            return CONTENT in text.read()

    wendar_e2e.wait_for(page_written, 15, what="the detail pane's page file")
    wendar_e2e.wait_for(lambda: session.query("select status from userdata where ID=%d" % message)[0][0] == 1, 15,
                        what="the message marked read")
    # The countdown of 2 seconds began at the selection.
    assert time.monotonic() - selected >= 1.5, "marked read after %.1f s" % (time.monotonic() - selected)
    assert session.program.poll() is None, "wendar ended"


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
