#!/usr/bin/env bash
# Configures and builds the project. Usage: scripts/build.sh [build-folder] [cmake options...]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${1:-$ROOT/build}"
shift || true

cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DKELVARA_WERROR=ON "$@" >/dev/null
cmake --build "$BUILD_DIR" -j "$(nproc)"
