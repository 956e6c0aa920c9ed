#!/bin/sh
# Installs the Debian packages that building and testing Tessel need and that
# are not installed yet; given package names, those instead. Runs as root, or
# through sudo.
set -eu

PACKAGES="build-essential cmake ninja-build ccache qt6-base-dev qt6-tools-dev qt6-l10n-tools
qt6-translations-l10n
libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation xvfb xauth xdotool imagemagick
clang-14 libclang-rt-14-dev clang-format ansible-core"
[ $# -gt 0 ] && PACKAGES="$*"

missing=""
for package in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $package"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
elif command -v sudo >/dev/null 2>&1; then
    as_root="sudo"
else
    echo "These packages are missing and neither root nor sudo is available:$missing" >&2
    exit 1
fi

echo "Installing:$missing"
$as_root apt-get -o DPkg::Lock::Timeout=900 update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends $missing
