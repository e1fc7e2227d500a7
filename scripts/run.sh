#!/usr/bin/env bash
# Installs what is missing, builds, puts the sample list beside the program (only when no
# bonus.txt is there yet) and starts the program.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$ROOT/scripts/setup.sh"
"$ROOT/scripts/build.sh" "$ROOT/build" -DKELVARA_BENCHMARKS=OFF -DBUILD_TESTING=OFF

PROGRAM_DIR="$ROOT/build/src/app"
if [[ ! -e "$PROGRAM_DIR/bonus.txt" ]]; then
    cp "$ROOT/resources/bonus.txt" "$PROGRAM_DIR/bonus.txt"
    echo "Sample list copied to $PROGRAM_DIR/bonus.txt"
fi

cd "$PROGRAM_DIR"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "No display found: the program runs on a virtual screen (xvfb-run)." >&2
    exec xvfb-run -a -s "-screen 0 1280x800x24" ./kelvara
fi
exec ./kelvara
