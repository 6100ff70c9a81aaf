"""A broken installation: without the web engine's library the program still starts, lists its
messages, and the detail pane says why it cannot show one instead of ending."""
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wendar_e2e  # noqa: E402

ENGINE = "libwendar-webengine.so"


def without_engine(session):
    """A copy of the program in a folder holding everything of the build's but the engine (the
    program looks for it beside itself, where a link would lead it back)."""
    built = os.path.dirname(session.wendar)
    folder = os.path.join(session.tmp, "bin")
    os.makedirs(folder)
    for name in os.listdir(built):
        if name != ENGINE and name != "wendar":
            os.symlink(os.path.join(built, name), os.path.join(folder, name))
    shutil.copy2(session.wendar, folder)
    return os.path.join(folder, "wendar")


def run(session):
    session.cli("items", "add", "--name", "我的邮箱", "--category", "4", "--address", "127.0.0.1")
    item = session.query("select messagetypeid from usermessagetype where MessageTypeName='我的邮箱'")[0][0]
    session.query(
        "insert into userdata (status,UserID,UserName,MessageTypeID,MessageCategory,MessageTypeName,SourceDate,"
        "SourceFromName,SourceInfo,SourceToName,SourceContent) values (0,88,'morvaten',%d,4,'我的邮箱',"
        "'2026/12/06-09:00','王五','月度报告','王经理','正文')" % int(item))
    session.wendar = without_engine(session)

    session.launch()
    session.select(session.find("table cell", "月度报告"))
    session.find("label", "发送人:王五")

    def notice():
        shown = session.value("消息内容")
        return "网页显示组件不能加载：" in shown and ENGINE in shown

    wendar_e2e.wait_for(notice, 30, what="the pane's notice naming the missing library")
    assert session.program.poll() is None, "wendar ended"


if __name__ == "__main__":
    sys.exit(wendar_e2e.main(run))
