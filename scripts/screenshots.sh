#!/usr/bin/env bash
# Screenshots of the desktop program in both layouts, with sample data, under a private Xvfb:
# docs/wendar-top-two-bottom-one.png and docs/wendar-left-one-right-two.png, the first layout in an
# English locale, docs/wendar-english.png (for the README), and docs/wendar-failing-item.png: a
# failing item's mark and its tooltip; then the search field and a change view
# (scripts/screenshot_search_and_changes.py).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target wendar wendar-cli wendar_runtime
mkdir -p docs

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work LANG=C.UTF-8
unset QT_QPA_PLATFORM WAYLAND_DISPLAY WENDAR_HOME
# The web engine's sandbox refuses to run as root (as on a build machine).
if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
home=$work/home/
mkdir -p "$home"
cli() { build/bin/wendar-cli --home "$home" "$@" >/dev/null; }

# Sample data: a few items of each kind and messages in both read states.
cli items add --name 公司新闻 --category 2 --address http://127.0.0.1:9/news/
cli items add --name 订单通知 --category 1 --address "Driver=SQLite3;Database=$work/orders.db" --view orders
cli items add --name 发布目录 --category 3 --address ftp://127.0.0.1:9/pub/
cli items add --name 工作邮箱 --category 4 --address 127.0.0.1:9 --user me --password secret
/usr/bin/python3 - "$home/message.dat" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
items = db.execute("select messagetypeid, MessageTypeName, MessageCategory from usermessagetype").fetchall()
rows = []
for n in range(36):
    item, name, category = items[n % len(items)]
    rows.append((1 if n % 3 else 0, item, category, name, "2026年12月%02d日-%02d:%02d" % (1 + n % 6, 8 + n % 10, n % 60),
                 "第 %d 条: %s 有新的内容" % (n + 1, name), "<h3>%s</h3><p>第 %d 条消息的内容。</p>" % (name, n + 1)))
db.executemany("insert into userdata (status, MessageTypeID, MessageCategory, MessageTypeName, SourceDate,"
               " SourceInfo, SourceContent) values (?, ?, ?, ?, ?, ?, ?)", rows)
db.commit()
PY

read -r display < <(
    exec 3>&1
    Xvfb -displayfd 3 -screen 0 1024x700x24 -nolisten tcp 2>/dev/null &
    echo "PID $!" >"$work/xvfb.pid"
)
pids+=("$(cut -d' ' -f2 "$work/xvfb.pid")")
export DISPLAY=:$display

shoot() {
    local layout=$1 out=$2 messages=${3:-C.UTF-8}
    cli settings SplitterWindowType "$layout"
    LC_MESSAGES=$messages build/bin/wendar --home "$home" &
    local pid=$!
    local window=
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Wendar V' 2>/dev/null | head -1) && [ -n "$window" ] && break
        sleep 0.1
    done
    [ -n "$window" ] || { echo "no window" >&2; kill "$pid"; exit 1; }
    sleep 2 # the splash goes, the list fills
    import -window "$window" "$out"
    kill -TERM "$pid"
    wait "$pid"
    echo "wrote $out"
}
shoot 0 docs/wendar-top-two-bottom-one.png
shoot 1 docs/wendar-left-one-right-two.png
shoot 0 docs/wendar-english.png en_US.UTF-8

# A failing item: 公司新闻 (the first item) asks a closed port three times; its mark and tooltip.
for _ in 1 2 3; do build/bin/wendar-cli --home "$home" check 1 >/dev/null 2>&1 || true; done
cli settings SplitterWindowType 1
build/bin/wendar --home "$home" &
pid=$!
window=
for _ in $(seq 100); do
    window=$(xdotool search --onlyvisible --name '^Wendar V' 2>/dev/null | head -1) && [ -n "$window" ] && break
    sleep 0.1
done
[ -n "$window" ] || { echo "no window" >&2; kill "$pid"; exit 1; }
sleep 2
eval "$(xdotool getwindowgeometry --shell "$window")"
# The tree pane a little wider (its splitter handle lies just right of it), the window in front.
xdotool mousemove --sync $((X + 145)) $((Y + 300)) mousedown 1 mousemove --sync $((X + 200)) $((Y + 300)) \
    mousemove --sync $((X + 260)) $((Y + 300)) mouseup 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
sleep 0.5
# The mark is the one bright red in the window: the pointer rests on it until the tooltip shows.
import -window "$window" "$work/find.png"
mark=$(convert "$work/find.png" txt:- | grep -m1 -i '#D42020' | cut -d: -f1) || true
[ -n "$mark" ] || { echo "no failure mark drawn" >&2; kill "$pid"; exit 1; }
xdotool mousemove --sync $((X + ${mark%,*} - 30)) $((Y + ${mark#*,}))
xdotool mousemove --sync $((X + ${mark%,*})) $((Y + ${mark#*,}))
sleep 2
import -window root -crop "$((WIDTH < 760 ? WIDTH : 760))x360+$X+$Y" +repage docs/wendar-failing-item.png
kill -TERM "$pid"
wait "$pid"
echo "wrote docs/wendar-failing-item.png"

/usr/bin/python3 scripts/screenshot_search_and_changes.py build
