#!/usr/bin/env bash
# Redraws the committed icon files with tools/kelvara_icon:
#   resources/kelvara.png  48 x 48, 256 colours (window and desktop icon)
#   resources/kelvara.ico  16 to 256 pixels (the Windows program file's icon)
# The character is drawn with the CJK font that scripts/setup.sh installs (fonts-noto-cjk);
# look at the pictures before committing them.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="$ROOT/build-icon"
"$ROOT/scripts/setup.sh"
cmake -S "$ROOT" -B "$BUILD_DIR" -DKELVARA_ICON_TOOL=ON -DBUILD_TESTING=OFF \
    -DKELVARA_BENCHMARKS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target kelvara_icon

tool="$BUILD_DIR/tools/kelvara_icon"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" --indexed 48 "$ROOT/resources/kelvara.png"
images=()
for size in 16 24 32 48 64 256; do
    "$tool" "$size" "$work/$size.png"
    images+=("$work/$size.png")
done
convert "${images[@]}" "$ROOT/resources/kelvara.ico"
echo "Redrawn: resources/kelvara.png, resources/kelvara.ico"
