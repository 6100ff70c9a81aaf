"""The toolbar's "检查" on a web item: a finding is stored, the status changes, a desktop
notification names the item (no tray under Xvfb, so it goes to the notification service), and
SIGTERM ends the program with status 0 and leaves the autostart entry."""
import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402


def run(session):
    server = wendar_e2e.PageServer("<html><body><p>第一版</p></body></html>")
    try:
        session.cli("items", "add", "--name", "新闻", "--category", "2", "--address", server.url)
        notifications = session.start_notification_service()
        session.launch()
        before = session.value("当前状态")
        # Where the tree shows the item, select it first; the toolbar's check acts on the selection.
        try:
            session.select(session.find(("tree item", "table cell"), "新闻", timeout=4))
        except (AssertionError, NotImplementedError):
            pass
        session.press(session.find("push button", "检查"))
        wendar_e2e.wait_for(lambda: session.query("select count(*) from userdata")[0][0] >= 1, 30,
                            what="a stored finding")
        wendar_e2e.wait_for(lambda: session.value("当前状态") != before, 15, what="the status text to change")
        # The paging bar's labels are read by their values.
        wendar_e2e.wait_for(lambda: session.value("消息数") == "每页:100/共:1条", 15, what="the count of one message")
        assert session.value("页次") == "1/1页", session.value("页次")
        wendar_e2e.wait_for(lambda: notifications.shown, 15, what="a desktop notification")
        assert notifications.shown[0] == ("Wendar: 1 条新消息", "新闻: 1 条"), notifications.shown
        assert session.program.poll() is None, "wendar ended during the check"
        status_code = session.terminate(signal.SIGTERM)
        assert status_code == 0, "exit status %d" % status_code
        assert os.path.exists(session.autostart_entry()), "no autostart entry"
        with open(session.autostart_entry(), encoding="utf-8") as entry:
            assert "/R" in entry.read()
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
