#!/usr/bin/env bash
# Downloads and unpacks Debian's qtbase source of the same version as the host's Qt into a
# folder, through a private apt list kept in that folder: the machine's own apt sources are
# neither read for sources nor changed. Usage: scripts/fetch-qt-source.sh <work-folder>
# Prints the path of the unpacked source tree on its last line.
set -euo pipefail

WORK="$1"
VERSION="$(dpkg-query -W -f='${source:Version}' qt6-base-dev)"
MIRROR="${KELVARA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
SECURITY="${KELVARA_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}"
KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg

mkdir -p "$WORK/apt/sources.list.d" "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" \
    "$WORK/src"
cat >"$WORK/apt/sources.list.d/qtbase-source.sources" <<SOURCES
Types: deb-src
URIs: $MIRROR
Suites: bookworm bookworm-updates
Components: main
Signed-By: $KEYRING

Types: deb-src
URIs: $SECURITY
Suites: bookworm-security
Components: main
Signed-By: $KEYRING
SOURCES

APT_OPTIONS=(
    -o "Dir::Etc::SourceList=/dev/null"
    -o "Dir::Etc::SourceParts=$WORK/apt/sources.list.d"
    -o "Dir::State::Lists=$WORK/apt/lists"
    -o "Dir::Cache=$WORK/apt/cache"
    -o "APT::Sandbox::User=root"
)

TREE="$WORK/src/qt6-base-${VERSION%%+*}"
if [[ ! -f "$TREE/.unpacked" ]]; then
    apt-get "${APT_OPTIONS[@]}" update -qq
    rm -rf "$WORK/src"/*
    (cd "$WORK/src" && apt-get "${APT_OPTIONS[@]}" source -qq "qt6-base=$VERSION" >/dev/null)
    unpacked="$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)"
    [[ "$unpacked" == "$TREE" ]] || mv "$unpacked" "$TREE"
    touch "$TREE/.unpacked"
fi
echo "$TREE"
