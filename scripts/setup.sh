#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build, the program and its tests need and
# the machine does not have yet. Safe to run again: installed packages are left alone.
set -euo pipefail

PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-noto-cjk
    xvfb xauth x11-utils xdotool imagemagick openbox stress
    cups-client
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=()
if [[ $(id -u) -ne 0 ]]; then
    SUDO=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${SUDO[@]}" apt-get update -qq
"${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
