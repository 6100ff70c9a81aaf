#!/usr/bin/python3
"""Screenshots of the search field and of a web page's change view, for the README:
docs/wendar-search.png and docs/wendar-changes.png. Run by scripts/screenshots.sh after the build.

A web item on a loopback page is checked three times while its page changes, so that its newest
message has an earlier copy to compare with; the window is then driven through AT-SPI, as the
end-to-end scenarios drive it.

usage: scripts/screenshot_search_and_changes.py BUILD_DIR
"""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))
import wendar_e2e  # noqa: E402

PAGES = [
    "<html><body><!--b--><h2>公司新闻</h2><p>本周五下午三点开会，讨论采购合同。</p><!--e--></body></html>",
    "<html><body><!--b--><h2>公司新闻</h2><p>本周五上午十点开会，讨论采购合同和预算。</p><!--e--></body></html>",
    "<html><body><!--b--><h2>公司新闻</h2><p>本周五上午十点开会，讨论新的采购合同和年度预算。</p>"
    "<p>会议室: 三楼</p><!--e--></body></html>",
]


def shoot(session, out):
    window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "Wendar V"], env=session.env,
                            capture_output=True, text=True, timeout=30).stdout.split()
    target = ["-window", window[0]] if window else ["-window", "root"]
    subprocess.run(["import"] + target + [out], env=session.env, check=True, timeout=60)
    print("wrote " + out)


def run(session):
    server = wendar_e2e.PageServer(PAGES[0])
    try:
        session.cli("items", "add", "--name", "公司新闻", "--category", "2", "--address", server.url,
                    "--include-from", "<!--b-->", "--include-to", "<!--e-->")
        for page in PAGES:
            server.page = page
            session.cli("check", "1")
        session.launch()
        session.app()
        search = session.find("text", "搜索")
        search.queryEditableText().setTextContents("预算")
        wendar_e2e.wait_for(lambda: session.value("消息数").endswith("共:2条"), 30, what="the search's page")
        session.select(session.find(("table cell", "list item"), "网页内容更新了!", timeout=30))
        subprocess.run(["sleep", "3"], check=True)  # the detail pane's page paints
        shoot(session, os.path.join(ROOT, "docs", "wendar-search.png"))
        session.press(session.find("push button", "变化"))
        subprocess.run(["sleep", "3"], check=True)
        shoot(session, os.path.join(ROOT, "docs", "wendar-changes.png"))
    finally:
        server.close()


if __name__ == "__main__":
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    sys.argv = [sys.argv[0], "--wendar", os.path.join(build, "bin", "wendar"), "--cli",
                os.path.join(build, "bin", "wendar-cli")]
    sys.exit(wendar_e2e.main(run))
