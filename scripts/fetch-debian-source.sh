#!/usr/bin/env bash
# Downloads and unpacks one of Debian's source packages at a given version into a folder,
# through a private apt list kept in that folder: the machine's own apt sources are neither
# read for sources nor changed. A second call with the same package and version reuses the tree.
# Usage: scripts/fetch-debian-source.sh <source-package> <version> <work-folder>
# Prints the path of the unpacked source tree on its last line.
set -euo pipefail

if (($# != 3)); then
    echo "Usage: $0 <source-package> <version> <work-folder>" >&2
    exit 2
fi
PACKAGE="$1"
VERSION="$2"
WORK="$3"
MIRROR="${KELVARA_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
SECURITY="${KELVARA_DEBIAN_SECURITY:-http://deb.debian.org/debian-security}"
KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg

mkdir -p "$WORK/apt/sources.list.d" "$WORK/apt/lists/partial" "$WORK/apt/cache/archives/partial" \
    "$WORK/src"
cat >"$WORK/apt/sources.list.d/debian-source.sources" <<SOURCES
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

# Named as dpkg-source names it: no epoch, no Debian revision.
UPSTREAM="${VERSION#*:}"
UPSTREAM="${UPSTREAM%-*}"
TREE="$WORK/src/$PACKAGE-${UPSTREAM%%+*}"
if [[ ! -f "$TREE/.unpacked" || "$(cat "$TREE/.unpacked")" != "$PACKAGE=$VERSION" ]]; then
    apt-get "${APT_OPTIONS[@]}" update -qq
    # Only this package's files: several packages may share the work folder.
    rm -rf "$WORK/src/$PACKAGE"[-_]*
    (cd "$WORK/src" && apt-get "${APT_OPTIONS[@]}" source -qq "$PACKAGE=$VERSION" >/dev/null)
    unpacked="$(find "$WORK/src" -mindepth 1 -maxdepth 1 -type d -name "$PACKAGE-*" | head -n 1)"
    [[ -n "$unpacked" ]] || { echo "No source tree of $PACKAGE $VERSION unpacked" >&2; exit 1; }
    [[ "$unpacked" == "$TREE" ]] || mv "$unpacked" "$TREE"
    echo "$PACKAGE=$VERSION" >"$TREE/.unpacked"
fi
echo "$TREE"
