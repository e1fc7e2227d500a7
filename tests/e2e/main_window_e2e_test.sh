#!/usr/bin/env bash
# The real program under a window manager: initialize, a round started by a held Enter and
# judged from screenshots, the outer sizes of the layout buttons with a real frame, the
# close box and Alt+F4 each cancelled, then the guarded exit.
# Usage: main_window_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"

# Enter held for 1.2 s, repeating from 250 ms on at 40 a second (more repeats than a
# desktop's default 660 ms and 25 a second give in 2 s), starts one round, which keeps
# rolling after the key is let go; one Return stops it. (Held on a loaded machine:
# held_key_e2e_test.sh.)
xset r rate 250 40
initialize
key_down Return
sleep 1.2
key_up Return
wait_for 10 changed initialized rolling1 "$label_area" || fail "Start left the label unchanged"
# Ten sample names cycle: a later shot shows another one.
wait_for 3 changed rolling1 rolling2 "$label_area" || fail "the label does not roll"
press Return # Stop; the listing follows
wait_for 10 changed initialized listed "$results_area" || fail "no winner was listed"
listed=$(save_and_count_winners)
((listed == 1)) || fail "a held Enter listed $listed winners"
echo "a held Enter drew one round"

# Outer sizes with the window manager's frame: each button toggles, keeping the corner.
outer_geometry "$E2E_MAIN"
start_x=$OUTER_X start_y=$OUTER_Y start_height=$OUTER_HEIGHT
toggle() { # key, side (WIDTH or HEIGHT), expected twips
    local key=$1 side=$2 want
    want=$(px "$3")
    press "$key"
    # The window manager may place and size the window in separate steps.
    outer_is() {
        outer_geometry "$E2E_MAIN" && ((OUTER_$side == want)) &&
            ((OUTER_X == start_x && OUTER_Y == start_y))
    }
    wait_for 10 outer_is || fail "$key: outer $side $(eval echo \$OUTER_$side), not $want;" \
        "corner $OUTER_X,$OUTER_Y, not $start_x,$start_y"
}
toggle alt+h WIDTH 9915
((OUTER_HEIGHT == start_height)) || fail "Alt+H changed the height"
toggle alt+h WIDTH 7230
toggle alt+v HEIGHT 4810
toggle alt+v HEIGHT 6000
echo "outer sizes OK"

# The close box, answered No; then Alt+F4, answered Yes and No: the window stays.
outer_geometry "$E2E_MAIN"
xdotool mousemove $((OUTER_X + OUTER_WIDTH - 10)) $((OUTER_Y + 10)) click 1
wait_window "退出" >/dev/null
answer Escape "退出"
main_takes_keys || fail "No to the first question left the main window without the keyboard"
window_shown "确认退出" && fail "No to the first question still asked the second"
xdotool windowactivate --sync "$E2E_MAIN"
press alt+F4
wait_window "退出" >/dev/null
answer Return "退出"
wait_window "确认退出" >/dev/null
answer Escape "确认退出"
window_shown "$(main_title)" || fail "the window closed after No"
echo "close box and Alt+F4 ask twice"

xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
