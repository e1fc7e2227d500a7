#!/usr/bin/env bash
# Builds the Debian package kelvara_<version>_<architecture>.deb with Debian's own compiler
# and hardening flags, checks it with lintian, and prints where it is.
# Usage: scripts/package.sh [build-folder] [cmake options...]   (folder: build-package)
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build-package}"
shift || true
"$ROOT/scripts/setup.sh"

export DEB_BUILD_MAINT_OPTIONS="hardening=+all"
cxxflags="$(cd "$ROOT" && dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
# Build type None: the flags above are the whole optimisation and debug choice.
"$ROOT/scripts/build.sh" "$BUILD_DIR" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DBUILD_TESTING=OFF -DKELVARA_BENCHMARKS=OFF "$@"

rm -f "$BUILD_DIR"/kelvara_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >/dev/null)
package=$(ls "$BUILD_DIR"/kelvara_*.deb)

# Neither errors nor warnings from lintian, or there is no package (as root it says it
# would rather not run as root, which is no warning of the package's).
if ! lintian --fail-on error,warning --display-level '>=warning' "$package" >"$BUILD_DIR/lintian.log" 2>&1; then
    grep -v 'running with root privileges' "$BUILD_DIR/lintian.log" >&2 || true
    rm -f "$package"
    echo "lintian reports errors or warnings: no package" >&2
    exit 1
fi
echo "Package: $package"
