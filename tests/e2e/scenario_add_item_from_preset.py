"""A check item made in the property dialog from a preset: the toolbar's "增加" opens
"自动检查消息项目属性", the "预制" menu fills the form with the web preset, the address is pointed at a
loopback page and "确认" stores it. The tree shows the new item, and message.dat holds its row and
the preset's two exclusion ranges.

Menus and modal dialogs run their own event loop inside the program, so they are opened with real clicks
(xdotool) at the places the accessibility bus reports, not with accessible actions that would
wait for them to close."""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402

PRESET = "网页更新(新闻首页)"


def run(session):
    if not shutil.which("xdotool"):
        raise wendar_e2e.Skip("xdotool is not installed")
    # The presets come with the program: in the build tree beside the executable.
    presets = os.path.join(os.path.dirname(session.wendar), "messagetype.dat")
    if not os.path.exists(presets):
        raise AssertionError("no preset file beside the program: " + presets)
    server = wendar_e2e.PageServer("<html><body><div id=\"news\">新闻</div></body></html>")
    try:
        session.launch()
        session.click(session.find("push button", "增加"))
        dialog = session.find("dialog", "自动检查消息项目属性")

        session.click(session.find(("push button", "push button menu", "toggle button"), "预制", 15))
        session.click(session.find("menu item", PRESET))
        name = session.find(("text", "entry"), "名称：")
        wendar_e2e.wait_for(lambda: session.text(name) == PRESET, 10, what="the preset's name in the form")

        address = session.find(("text", "entry"), "链接地址：")
        address.queryEditableText().setTextContents(server.url + "news/index.html")
        session.press(session.find("push button", "确认", root=dialog))

        rows = wendar_e2e.wait_for(
            lambda: session.query("select messagetypeid, MessageCategory, connAddress from usermessagetype "
                                  "where MessageTypeName='%s'" % PRESET), 15, what="the stored item")
        item_id, category, stored_address = rows[0]
        assert category == 2, rows
        assert stored_address == server.url + "news/index.html", rows
        ranges = session.query("select excludeFrom, excludeTo from userHttpExclude where messagetypeid=%d" % item_id)
        assert sorted(ranges) == [("<span class=\"clock\">", "</span>"), ("<span id=\"counter\">", "</span>")], ranges
        session.find(("tree item", "table cell"), PRESET, 15)
        assert session.program.poll() is None, "wendar ended"
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
