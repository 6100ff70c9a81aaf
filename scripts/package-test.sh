#!/usr/bin/env bash
# The Debian package as a user meets it: made with CPack from a built tree, installed with apt-get,
# run from /usr/bin by an unprivileged user, removed again. Needs root for apt-get; test.sh runs it.
# Usage: scripts/package-test.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$(id -u)" -ne 0 ]; then
    echo "package test: apt-get needs root. Run it as root, or: sudo $0 $build" >&2
    exit 1
fi
if dpkg-query -W -f='${Status}' wendar 2>/dev/null | grep -q "install ok installed"; then
    echo "package test: skipped; a wendar package is installed on this machine and is left as it is"
    exit 0
fi

work=$(mktemp -d)
chmod 755 "$work"
installed() { dpkg-query -W -f='${Status}' wendar 2>/dev/null | grep -q "install ok installed"; }
quietly() { "$@" >"$work/log" 2>&1 || { cat "$work/log" >&2; return 1; }; }
purge() { DEBIAN_FRONTEND=noninteractive quietly timeout 300 apt-get purge -y wendar; }
trap 'if installed; then purge || true; fi; rm -rf "$work"' EXIT

rm -f "$build"/wendar_*.deb
(cd "$build" && quietly timeout 1200 cpack -G DEB)
deb=$(ls "$build"/wendar_*.deb)
cp "$deb" "$work/" # readable by apt's own user
DEBIAN_FRONTEND=noninteractive quietly timeout 600 apt-get install -y --no-install-recommends "$work/$(basename "$deb")"

fail() {
    echo "package test: $*" >&2
    exit 1
}
for exe in /usr/bin/wendar-cli /usr/bin/wendar; do
    if [ -e "$exe" ] && ldd "$exe" | grep -q "not found"; then
        fail "$exe misses libraries the package does not depend on: $(ldd "$exe" | grep "not found")"
    fi
done
# The user unit names an executable that is there, and its manual page.
if command -v systemd-analyze >/dev/null && command -v man >/dev/null; then
    mkdir -m 700 "$work/runtime"
    XDG_RUNTIME_DIR="$work/runtime" quietly systemd-analyze verify --user /usr/lib/systemd/user/wendar-watch.service ||
        fail "systemd-analyze verify: wendar-watch.service"
fi
home="$work/home"
mkdir "$home"
chown nobody: "$home"
as_user() { runuser -u nobody -- env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8 timeout 60 "$@"; }
version=$(as_user wendar-cli --version)
[ "$version" = "wendar-cli $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
    fail "--version printed: $version"
[ "$(as_user wendar-cli items)" = $'编号\t类型\t状态\t名称\t链接地址\t未读\t健康\t上次检查' ] || fail "wendar-cli items"
[ -f "$home/.local/share/wendar/message.dat" ] || fail "no message.dat in ~/.local/share/wendar"
as_user wendar-cli presets | grep -q $'\t4\t' || fail "the presets of /usr/share/wendar"
purge
[ ! -e /usr/bin/wendar-cli ] && [ ! -e /usr/share/wendar ] || fail "files left after the package was removed"
echo "package test: $(basename "$deb") installed, ran as an unprivileged user and was removed"
