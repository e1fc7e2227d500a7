#!/usr/bin/env bash
# The real program under a window manager: one round, Save and the bytes of the results
# file, Print without a printer, then the About window (widened window, CmdAbout clicked), a screenshot, and the
# guarded exit.
# Usage: save_about_e2e_test.sh <kelvara> <bonus.txt>
# The screenshot is kept at $KELVARA_E2E_SHOT (default: $TMPDIR/kelvara-save-about.png).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import
bonus=${2:?path of the sample bonus.txt}
e2e_start "${1:?path of the built kelvara}" "$bonus"
shot=${KELVARA_E2E_SHOT:-${TMPDIR:-/tmp}/kelvara-save-about.png}
results="$E2E_WORK/摇号结果.txt"

# Initialize, one round (Enter starts, Enter stops); Save lists the stopped round first.
initialize
press Return
wait_for 10 changed initialized rolling "$label_area" || fail "Enter started no round"
press Return
press alt+s
# The file is complete before the notice appears.
wait_window "$E2E_PRODUCT" >/dev/null
name=$(sed -n '3p' "$results" | tr -d '\r' | cut -f2)
[[ -n $name ]] || fail "no winner in the results file: $(od -c "$results" | head)"
grep -Fxq -- "$name" "$bonus" || fail "the winner '$name' is not in the list"
printf '摇号结果\r\n\r\n[1]:\t%s\r\n' "$name" >"$E2E_WORK/expected"
cmp "$E2E_WORK/expected" "$results" || fail "unexpected bytes: $(od -c "$results" | head)"
echo "results file OK: [1] $name"
answer Return "$E2E_PRODUCT"

# Print where no printer is set up: the file is written and the operator is told that
# nothing was printed (lp's own words), instead of waiting for a page that never comes.
if command -v lp >/dev/null 2>&1 && ! lpstat -d 2>/dev/null | grep -q 'destination:'; then
    rm -f "$results"
    xdotool windowactivate --sync "$E2E_MAIN"
    press alt+p
    wait_window "$E2E_PRODUCT" >/dev/null
    [[ -f $results ]] || fail "Print did not write the results file"
    answer Return "$E2E_PRODUCT"
    echo "print without a printer: reported"
fi

# Widen the window to uncover the settings panel, then click CmdAbout (2160, 4440, 255,
# 735 inside Frame_Settings at 7200, 120).
xdotool windowactivate --sync "$E2E_MAIN"
press alt+h
widened() {
    outer_geometry "$E2E_MAIN"
    ((OUTER_WIDTH == $(px 9915)))
}
wait_for 5 widened || fail "Alt+H did not widen the main window"
xdotool mousemove --window "$E2E_MAIN" "$(px $((7200 + 2160 + 127)))" \
    "$(px $((120 + 4440 + 367)))" click 1
about=$(wait_window "关于")
import -window root "$shot"
echo "screenshot: $shot"

# 4680 x 2910 twips inside its frame, centred on the 1280 x 1024 screen. The window is
# placed before the window manager has framed it, so its client area is what is centred.
outer_geometry "$about"
read -r left right top bottom < <(xprop -id "$about" _NET_FRAME_EXTENTS |
    sed -n 's/.*= *//p' | tr -d ',')
width=$((OUTER_WIDTH - left - right)) height=$((OUTER_HEIGHT - top - bottom))
((width == 312 && height == 194)) || fail "About window is ${width}x${height}"
centre_x=$((OUTER_X + left + width / 2)) centre_y=$((OUTER_Y + top + height / 2))
((centre_x >= 638 && centre_x <= 642 && centre_y >= 510 && centre_y <= 514)) ||
    fail "About window is not centred: its centre is at $centre_x,$centre_y"

# While it is open the main window takes no input: a click on Cmd_Save (4200, 240, 855,
# 615 inside Frame_Oper at 120, 4440) writes nothing.
rm -f "$results"
xdotool mousemove --window "$E2E_MAIN" "$(px $((120 + 4200 + 427)))" \
    "$(px $((4440 + 240 + 307)))" click 1
# The program takes its input in order: once Escape has closed About, the click came and went.
xdotool windowactivate --sync "$about"
answer Escape "关于"
[[ ! -e $results ]] || fail "the main window saved while About was open"
window_shown "$E2E_PRODUCT" && fail "the main window answered a click while About was open"

xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
