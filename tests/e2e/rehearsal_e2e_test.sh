#!/usr/bin/env bash
# What outlasts a crash, and what a rehearsal leaves behind. The window made wider and taller
# and the sound muted, a round drawn, the program killed: the continued run has them all.
# Then a rehearsal chosen in the options: both screens say 演练, Save writes files marked so,
# the record goes to 摇号记录/演练, and after a kill nothing is offered for continuing.
# Usage: rehearsal_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import
export KELVARA_SOUND_LOG="$E2E_WORK/sound.log"
readonly rehearsal_yellow="#FFD400"

e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
e2e_focus_main
outer_geometry "$E2E_MAIN"
narrow=$OUTER_WIDTH low=$OUTER_HEIGHT
width_is_not() { outer_geometry "$E2E_MAIN" && ((OUTER_WIDTH != $1)); }
height_is_not() { outer_geometry "$E2E_MAIN" && ((OUTER_HEIGHT != $1)); }
press alt+h
wait_for 5 width_is_not "$narrow" || fail "Alt+H did not widen the window"
press alt+v
wait_for 5 height_is_not "$low" || fail "Alt+V did not change the window's height"
outer_geometry "$E2E_MAIN"
changed="${OUTER_WIDTH}x$OUTER_HEIGHT"
press F8
wait_for 5 grep -q '"静音": true' "$E2E_WORK/摇号设置.json" || fail "mute was not kept"
initialize
draw_round
e2e_kill

# ---- Continued after the kill: the same window and sound -----------------------------------
e2e_launch
wait_window "继续摇号" >/dev/null
answer Return "继续摇号"
size_is() { outer_geometry "$E2E_MAIN" && [[ "${OUTER_WIDTH}x$OUTER_HEIGHT" == "$1" ]]; }
wait_for 10 size_is "$changed" || fail "the continued run's window is ${OUTER_WIDTH}x$OUTER_HEIGHT, not $changed"
[[ $(tail -n 2 "$KELVARA_SOUND_LOG" | paste -sd'|') == "volume 80|mute on" ]] ||
    fail "the continued run's sound: $(tail -n 2 "$KELVARA_SOUND_LOG" | paste -sd'|')"
echo "continued after a kill: window $changed and muted, as changed"
press alt+x
e2e_exit_with_yes_twice

# ---- A rehearsal --------------------------------------------------------------------------
e2e_launch
no_question || fail "a finished run was offered again"
shows_yellow() {
    shoot "$1"
    convert "$E2E_WORK/$1.ppm" -fill none -format %c histogram:info: | grep -qi "$rehearsal_yellow"
}
shows_yellow before-options && fail "the main window says 演练 before it was chosen"
press alt+o
wait_window "选项" >/dev/null
press alt+w
titled_rehearsal() { xdotool getwindowname "$E2E_MAIN" | grep -q '【演练】'; }
wait_for 5 titled_rehearsal || fail "the main window's title does not say 演练"
answer Escape "选项"
wait_for 5 shows_yellow rehearsal-chosen || fail "the main window does not say 演练"
press F11
wait_window "摇号 - 观众画面" >/dev/null
audience_yellow() {
    shoot_window root audience-rehearsal &&
        convert "$E2E_WORK/audience-rehearsal.ppm" -crop 300x120+980+0 -fill none -format %c \
            histogram:info: | grep -qi "$rehearsal_yellow"
}
wait_for 5 audience_yellow || fail "the audience view's corner does not say 演练"
keep_shot audience-rehearsal
press Escape
wait_window_gone "摇号 - 观众画面"
e2e_focus_main
initialize
draw_round
press alt+s
wait_window "$E2E_PRODUCT" >/dev/null
answer Return "$E2E_PRODUCT"
[[ -f "$E2E_WORK/摇号结果（演练）.txt" && -f "$E2E_WORK/摇号结果（演练）.xlsx" ]] ||
    fail "Save wrote no files marked 演练: $(ls "$E2E_WORK")"
head -n 1 "$E2E_WORK/摇号结果（演练）.txt" | grep -q '^演练，不是正式摇号结果' ||
    fail "the rehearsal's results file does not say so"
ls "$E2E_WORK"/摇号记录/演练/摇号记录_*.txt >/dev/null || fail "no rehearsal record in 摇号记录/演练"
e2e_kill

e2e_launch
no_question || fail "the killed rehearsal was offered for continuing"
shows_yellow after-rehearsal && fail "the next start is still a rehearsal"
titled_rehearsal && fail "the next start's title says 演练"
echo "rehearsal: marked on both screens, files and record apart, not offered after a kill"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
