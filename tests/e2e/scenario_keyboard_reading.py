"""Working without the mouse: Down chooses an item in the tree, Space goes through three unread
messages (the one left behind is marked read, the tree moves on to the next item's message), and
F5 checks the item the tree has come to."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402


def windows(session):
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(session.program.pid)],
                          env=session.env, capture_output=True, text=True, timeout=10).stdout.split()


def key(session, window, name):
    # Without a window manager the X input focus can fall back to the root window (a short-lived
    # window of the program closing under load, say); a desktop gives it back to the main window.
    subprocess.run(["xdotool", "windowfocus", "--sync", window], env=session.env, capture_output=True, timeout=10)
    subprocess.run(["xdotool", "key", "--clearmodifiers", name], env=session.env, check=True, timeout=10)


def add_message(session, item, name, category, sender, subject):
    session.query(
        "insert into userdata (status,UserID,UserName,MessageTypeID,MessageCategory,MessageTypeName,SourceDate,"
        "SourceFromName,SourceInfo,SourceToName,SourceContent) values (0,88,'morvaten',%d,%d,'%s',"
        "'2026/12/06-09:00','%s','%s','王经理','正文')" % (int(item), category, name, sender, subject))
    return session.query("select max(ID) from userdata")[0][0]


def run(session):
    if not shutil.which("xdotool"):
        raise wendar_e2e.Skip("xdotool is not installed")
    server = wendar_e2e.PageServer("<html><body><p>第二版</p></body></html>")
    try:
        session.cli("items", "add", "--name", "我的邮箱", "--category", "4", "--address", "127.0.0.1")
        session.cli("items", "add", "--name", "新闻", "--category", "2", "--address", server.url)
        session.cli("settings", "AutoMarkRead", "3600")  # only the keys mark messages read here
        mail = session.query("select messagetypeid from usermessagetype where MessageTypeName='我的邮箱'")[0][0]
        news = session.query("select messagetypeid from usermessagetype where MessageTypeName='新闻'")[0][0]
        older = add_message(session, mail, "我的邮箱", 4, "张三", "旧邮件")
        newer = add_message(session, mail, "我的邮箱", 4, "李四", "新邮件")
        page = add_message(session, news, "新闻", 2, "网站", "首页变了")

        session.launch()
        main = wendar_e2e.wait_for(lambda: len(windows(session)) == 1 and windows(session), 10,
                                   what="the splash to go")[0]
        # The tree has the keyboard at start: Down until it is on the mail item.
        for _ in range(3):
            key(session, main, "Down")
            try:
                wendar_e2e.wait_for(lambda: "我的邮箱" in session.value("当前状态"), 3, what="the mail item")
                break
            except AssertionError:
                pass
        assert "我的邮箱" in session.value("当前状态"), session.value("当前状态")

        def unread(message):
            return session.query("select status from userdata where ID=%d" % message)[0][0] == 0

        # Newest first within the item, then on to the next item; each one left behind is read.
        for shown, sender, read_before in ((newer, "李四", None), (older, "张三", newer), (page, "网站", older)):
            key(session, main, "space")
            session.find("label", "发送人:" + sender, timeout=15)
            if read_before:
                wendar_e2e.wait_for(lambda: not unread(read_before), 15, what="the message left behind read")
            assert unread(shown), "the message shown is still unread until the next one"
        wendar_e2e.wait_for(lambda: "新闻" in session.value("当前状态"), 15, what="the tree on the news item")

        # F5 checks the item the tree is on: the changed page is stored.
        key(session, main, "F5")
        wendar_e2e.wait_for(lambda: session.query("select count(*) from userdata where MessageTypeID=%d"
                                                  % int(news))[0][0] >= 2, 30, what="the check's finding")
        assert session.program.poll() is None, "wendar ended"
        # The web engine joined the window when the first message showed: the window is the same one.
        assert windows(session) == [main], (windows(session), main)
    finally:
        server.close()


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
