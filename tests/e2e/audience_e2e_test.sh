#!/usr/bin/env bash
# The audience view on a laptop with a projector: two monitors side by side, the main
# window on the laptop's. F11 puts the view full screen on the projector; PageDown, as a
# presenter clicker sends it, starts and stops a round of 12 whose winners the view then
# shows; B blanks it; unplugging the projector brings the view over the laptop's screen;
# F11 closes it. Save then holds the 12 winners.
# Usage: audience_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
E2E_SCREEN=3200x1080x24
E2E_MONITORS=("laptop 1280x800+0+0 screen" "projector 1920x1080+1280+0 none")
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
readonly view_title="摇号 - 观众画面"
readonly projector="1920x1080+1280+0"

# Screenshots of the projector's monitor.
shoot_projector() { shoot_window root "$1"; }
projector_changed() { window_changed root "$1" "$2" "$projector"; }
mean_brightness() {
    convert "$E2E_WORK/$1.ppm" -crop "$projector" +repage -colorspace Gray -format '%[fx:mean]' info:
}
geometry_is() { [[ $(window_geometry "$1") == "$2" ]]; }

initialize
set_round_size 12

press F11
view=$(wait_window "$view_title")
wait_for 10 geometry_is "$view" "$projector" ||
    fail "the view is at $(window_geometry "$view"), not on the projector"
xprop -id "$view" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN || fail "the view is not full screen"
echo "F11: the view is full screen on the projector"

shoot_projector idle
press Next # Start
wait_for 10 projector_changed idle rolling1 || fail "PageDown started nothing on the projector"
wait_for 3 projector_changed rolling1 rolling2 || fail "the view does not roll"
keep_projector_shot() { convert "$E2E_WORK/$1.ppm" -crop "$projector" +repage "$E2E_WORK/$1-projector.ppm"; keep_shot "$E2E_WORK/$1-projector.ppm" "$2"; }
keep_projector_shot rolling2 audience-rolling
press Next # Stop; the listing follows
wait_for 10 changed initialized listed "$results_area" || fail "no winner was listed"
# Listed in the main window: the view stops rolling and shows the list.
wait_for 10 screen_still listed "$projector" || fail "the view does not settle after Stop"
keep_projector_shot listed audience-round-of-12
echo "PageDown started and stopped a round on the projector"

press b
wait_for 5 eval 'shoot_projector blank && [[ $(mean_brightness blank) == 0 ]]' ||
    fail "B left the view showing"
press b
wait_for 5 eval 'shoot_projector unblank && [[ $(mean_brightness unblank) != 0 ]]' ||
    fail "B again left the view black"

unplug_monitor projector
wait_for 10 geometry_is "$view" "1280x800+0+0" ||
    fail "after unplugging the projector the view is at $(window_geometry "$view")"
# The clicker still reaches the view.
view_has_keyboard() { [[ $(xdotool getactivewindow 2>/dev/null) == "$view" ]]; }
wait_for 5 view_has_keyboard || fail "the view lost the keyboard when the projector went"
echo "unplugged: the view moved over the laptop's screen and kept the keyboard"

press F11
wait_window_gone "$view_title"
listed=$(save_and_count_winners)
((listed == 12)) || fail "the round listed $listed winners, not 12"

xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
