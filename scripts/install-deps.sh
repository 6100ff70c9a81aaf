#!/usr/bin/env bash
# Installs the Debian 12 packages Wendar needs; only the missing ones.
#   scripts/install-deps.sh           what building and running the programs need
#   scripts/install-deps.sh --tests   that, and the test frameworks, test servers and tools of the tests
# The tests start private PostgreSQL and Dovecot instances of their own. When this script installs
# those servers, their system services are kept from starting during the installation and are left
# disabled and stopped afterwards: nothing listens on the machine's ports because of the tests.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qt6-base-dev qt6-webengine-dev qt6-svg-dev fonts-wqy-microhei
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    libsqlite3-dev libcurl4-openssl-dev libssl-dev unixodbc-dev libsqliteodbc odbc-postgresql
    libpulse-dev libsndfile1-dev libx11-dev libxtst-dev libyaml-dev libicu-dev
)
test_packages=(
    clang clang-format git googletest libgtest-dev libgmock-dev libbenchmark-dev
    sqlite3 openssl xvfb xauth dbus-x11 at-spi2-core python3-pyatspi xdotool imagemagick
    libcpp-httplib-dev python3-pyftpdlib postgresql dovecot-core dovecot-pop3d
    desktop-file-utils appstream poppler-utils x11-utils
)
# Packages whose installation sets up a system service, and those services.
declare -A services=(
    [postgresql]="postgresql.service"
    [dovecot-core]="dovecot.service dovecot.socket"
)

case "${1:-}" in
    --tests) packages+=("${test_packages[@]}") ;;
    "") ;;
    *)
        echo "usage: $0 [--tests]" >&2
        exit 2
        ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null || ! sudo -v; then
        cat >&2 <<EOF
These Debian packages are missing, and installing them needs root:
  ${missing[*]}
Install them as root, then run this script again:
  su -c 'apt-get update && apt-get install -y --no-install-recommends ${missing[*]}'
(or run the script itself as root).
EOF
        exit 1
    fi
    as_root=(sudo)
fi

new_services=()
for p in "${missing[@]}"; do
    if [ -n "${services[$p]:-}" ]; then
        read -ra units <<<"${services[$p]}"
        new_services+=("${units[@]}")
    fi
done
# Debian's maintainer scripts ask policy-rc.d before they start a service; 101 means "not now".
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ${#new_services[@]} -gt 0 ] && [ ! -e "$policy" ]; then
    printf '#!/bin/sh\n# Written by Wendar'"'"'s install-deps.sh for one installation; removed after it.\nexit 101\n' |
        "${as_root[@]}" tee "$policy" >/dev/null
    "${as_root[@]}" chmod 755 "$policy"
    own_policy=1
fi
remove_policy() {
    if [ "$own_policy" -eq 1 ]; then
        "${as_root[@]}" rm -f "$policy"
    fi
}
trap remove_policy EXIT

echo "installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

# The servers the tests need as programs only: not enabled at boot, not running.
for unit in "${new_services[@]}"; do
    name=${unit%.*}
    if command -v systemctl >/dev/null; then
        "${as_root[@]}" systemctl disable --quiet "$unit" 2>/dev/null || true
        if [ -d /run/systemd/system ]; then
            "${as_root[@]}" systemctl stop "$unit" 2>/dev/null || true
        fi
    fi
    if [ "$unit" = "$name.service" ] && [ -x "/etc/init.d/$name" ]; then
        "${as_root[@]}" update-rc.d "$name" disable >/dev/null 2>&1 || true
        if [ ! -d /run/systemd/system ]; then
            "${as_root[@]}" "/etc/init.d/$name" stop >/dev/null 2>&1 || true
        fi
    fi
done
if [ ${#new_services[@]} -gt 0 ]; then
    echo "system services left disabled and stopped (the tests run their own instances): ${new_services[*]}"
fi
