#!/usr/bin/env bash
# Installs, from Debian's packages, what the Windows build and its tests under wine need on top
# of the Linux build's packages: the MinGW-w64 cross compiler and its zlib, wine, GoogleTest's
# sources, the tools that fetch and unpack Debian's sources, the shader compiler qsb that Qt
# Multimedia's cross build runs, a window manager and zip.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh" \
    g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine wine64 \
    googletest dpkg-dev xz-utils qt6-shadertools-dev \
    openbox unzip
