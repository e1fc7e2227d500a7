#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program, its package and its tests
# need and the machine does not have yet. Safe to run again: installed packages are left alone.
# Usage: scripts/setup.sh [more packages...]
#        scripts/setup.sh --only packages...   (just these, and no locale)
set -euo pipefail

ONLY=false
if [[ ${1:-} == --only ]]; then
    ONLY=true
    shift
fi

PACKAGES=(
    g++ cmake ninja-build make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n
    qt6-multimedia-dev libqt6multimedia6 gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    libgtest-dev libgmock-dev libbenchmark-dev
    libxlsxwriter-dev libminizip-dev python3-openpyxl poppler-utils
    fonts-noto-cjk locales libc-l10n
    xvfb xauth x11-utils x11-xserver-utils xdotool imagemagick openbox stress chromium
    cups-client
    dpkg-dev file lintian desktop-file-utils appstream
    "$@"
)
if $ONLY; then
    PACKAGES=("$@")
fi

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
    SUDO=(sudo)
fi

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    "${SUDO[@]}" apt-get update -qq
    "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Chinese locale: system error texts follow it, and the tests run under it.
if ! $ONLY && ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf8'; then
    echo "Generating the zh_CN.UTF-8 locale"
    "${SUDO[@]}" sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'zh_CN.UTF-8 UTF-8' | "${SUDO[@]}" tee -a /etc/locale.gen >/dev/null
    "${SUDO[@]}" locale-gen >/dev/null
fi
