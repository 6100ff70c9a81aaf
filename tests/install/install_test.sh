#!/usr/bin/env bash
# The install tree: the desktop entry and the AppStream file pass their validators; an install into
# a DESTDIR staging prefix has every file of the layout, and the installed wendar-cli runs from there
# on a fresh data directory with the installed resources.
# Usage: install_test.sh BUILD_DIR SOURCE_DIR HAS_DESKTOP_PROGRAM(0|1)
set -euo pipefail
build=$1
source=$2
desktop=$3
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
fail() {
    echo "install test: $*" >&2
    exit 1
}

desktop-file-validate "$source/res/linux/org.wendar.Wendar.desktop"
appstreamcli validate --no-net "$build/install/org.wendar.Wendar.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$build/install/org.wendar.Wendar.metainfo.xml"

DESTDIR="$stage/root" cmake --install "$build" >/dev/null
prefix=$(sed -n 's/^CMAKE_INSTALL_PREFIX:PATH=//p' "$build/CMakeCache.txt")
root="$stage/root$prefix"
files=(bin/wendar-cli share/wendar/messagetype.dat share/wendar/ring01.wav share/wendar/sound/ring01.wav
    share/wendar/sound/Cuckoo01.wav share/wendar/help/help.htm share/man/man1/wendar-cli.1
    share/bash-completion/completions/wendar-cli lib/systemd/user/wendar-watch.service)
if [ "$desktop" = 1 ]; then
    # The web engine is loaded by the program from the library folder when it first shows a page.
    libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build/CMakeCache.txt")
    files+=(bin/wendar "$libdir/wendar/libwendar-webengine.so" share/applications/org.wendar.Wendar.desktop
        share/metainfo/org.wendar.Wendar.metainfo.xml share/man/man1/wendar.1 share/icons/hicolor/scalable/apps/wendar.svg)
    for size in 16 24 32 48 64 128 256; do
        files+=("share/icons/hicolor/${size}x${size}/apps/wendar.png")
    done
fi
for file in "${files[@]}"; do
    [ -f "$root/$file" ] || fail "not installed: $file"
done
grep -qx "ExecStart=$prefix/bin/wendar-cli watch" "$root/lib/systemd/user/wendar-watch.service" ||
    fail "the unit does not start the installed wendar-cli"

# The installed program, as a user with nothing set up yet. Nothing may be written under the prefix.
home="$stage/home"
mkdir -p "$home/empty"
cli() {
    env -u WENDAR_HOME HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" LANG=C.UTF-8 \
        PULSE_SERVER=unix:/nonexistent timeout 60 "$root/bin/wendar-cli" "$@"
}
version=$(cli --version)
[ "$version" = "wendar-cli $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
    fail "--version printed: $version"
[ "$(cli items add --name 安装测试 --category 5)" = "1" ] || fail "items add"
cli items | grep -q $'^1\t5\t允许\t安装测试\t' || fail "items does not list the new item"
[ "$(stat -c %a "$home/data/wendar")" = 700 ] || fail "the data directory is not private"
[ -f "$home/data/wendar/message.dat" ] || fail "no message.dat in the data directory"
presets=$(cli presets | cut -f2 | sort -u | tr '\n' ' ')
[ "$presets" = "1 2 3 4 类型 " ] || fail "presets from the installed resources: $presets"
# A home directory without resources of its own takes them from the installed ones.
cli --home "$home/empty" presets | grep -q $'\t2\t' || fail "--home lost the presets"
[ -z "$(find "$stage/root" -name 'message.dat*')" ] || fail "a store was written under the prefix"

# The completion completes the commands and the subcommands.
completion=$(bash -c 'source "$1"; COMP_WORDS=(wendar-cli --json ite); COMP_CWORD=2; _wendar_cli; echo "${COMPREPLY[*]}"
    COMP_WORDS=(wendar-cli items s); COMP_CWORD=2; _wendar_cli; echo "${COMPREPLY[*]}"' _ \
    "$root/share/bash-completion/completions/wendar-cli")
[ "$completion" = $'items\nshow set' ] || fail "completion gave: $completion"
if command -v man >/dev/null; then
    for page in "$root"/share/man/man1/*.1; do
        warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "$page: $warnings"
    done
fi
echo "install test: ${#files[@]} files installed under $prefix; the installed wendar-cli works"
