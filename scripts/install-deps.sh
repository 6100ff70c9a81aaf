#!/usr/bin/env bash
# Installs the Debian 12 packages Wendar builds, runs and tests with; only the missing ones.
set -euo pipefail

packages=(
    build-essential cmake pkg-config clang clang-format
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-webengine-dev qt6-svg-dev fonts-wqy-microhei libsqlite3-dev sqlite3 libcurl4-openssl-dev libssl-dev openssl
    unixodbc-dev libsqliteodbc odbc-postgresql
    libpulse-dev libsndfile1-dev libx11-dev libxtst-dev xvfb xauth
    dbus-x11 at-spi2-core python3-pyatspi xdotool imagemagick git
    libcpp-httplib-dev python3-pyftpdlib postgresql dovecot-core dovecot-pop3d
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
echo "installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
