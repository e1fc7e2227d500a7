#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [build-folder] [cmake options...]
# Without -G the folder keeps the generator it was configured with (CMake's default, Unix
# Makefiles, for a new folder); a folder configured with another generator than the -G given
# is configured afresh.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
shift || true

generator=
options=("$@")
for ((i = 0; i < ${#options[@]}; i++)); do
    case ${options[i]} in
    -G) generator=${options[i + 1]:-} ;;
    -G*) generator=${options[i]#-G} ;;
    esac
done
cache="$BUILD_DIR/CMakeCache.txt"
if [[ -n $generator && -f $cache ]] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=$generator" "$cache"; then
    echo "Configuring $BUILD_DIR afresh for $generator"
    rm -rf "$cache" "$BUILD_DIR/CMakeFiles"
fi

cmake -S "$ROOT" -B "$BUILD_DIR" -DKELVARA_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
