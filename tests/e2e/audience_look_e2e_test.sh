#!/usr/bin/env bash
# The audience view's own look on a single screen of 1920x1080 with theme 喜庆红 and of
# 1280x1024 with theme 深蓝, over a background picture, the logo and the event's title at the top, the prize's
# picture beside its name, while rolling and with a round listed. Checks that the text
# stands on its dark band, inside it, and keeps the screenshots in $KELVARA_E2E_SHOTS.
# Usage: audience_look_e2e_test.sh <kelvara> <bonus.txt>
if [[ -z ${LOOK_SCREEN:-} ]]; then
    LOOK_SCREEN=1920x1080 LOOK_THEME=喜庆红 bash "$0" "$@" || exit
    LOOK_SCREEN=1280x1024 LOOK_THEME=深蓝 bash "$0" "$@" || exit
    exit 0
fi
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert
E2E_SCREEN=${LOOK_SCREEN}x24
readonly width=${LOOK_SCREEN%x*} height=${LOOK_SCREEN#*x}
readonly whole="${LOOK_SCREEN}+0+0"
readonly view_title="摇号 - 观众画面"
# The theme's names' and title's colours.
if [[ $LOOK_THEME == 深蓝 ]]; then
    readonly gold="#ffffff" light_gold="#f3d27a"
else
    readonly gold="#ffd54a" light_gold="#ffe9a8"
fi

# The data folder as an operator leaves it: pictures, a plan, the look chosen before.
mkdir -p "$E2E_WORK/图片"
convert -size 1920x1080 gradient:'#f4e4c0-#3a6ea5' -attenuate 0.5 +noise Gaussian -quality 90 \
    "$E2E_WORK/图片/背景.jpg"
convert -size 360x120 xc:'#1e88e5' -fill white -draw 'circle 60,60 60,15' \
    -fill '#0d47a1' -draw 'rectangle 130,35 340,85' "$E2E_WORK/图片/标志.png"
convert -size 300x300 radial-gradient:'#ffffff-#2e7d32' -fill '#7b1fa2' \
    -draw 'polygon 150,40 180,120 260,120 195,170 220,250 150,200 80,250 105,170 40,120 120,120' \
    "$E2E_WORK/图片/三等奖.png"
printf '三等奖 3\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"
cat >"$E2E_WORK/摇号设置.json" <<'JSON'
{"格式": "Kelvara 设置 1", "活动名称": "2026年度公司年会",
 "大屏幕": {"主题": "THEME", "显示标题": true}}
JSON
sed -i "s/THEME/$LOOK_THEME/" "$E2E_WORK/摇号设置.json"
e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"

geometry_is() { [[ $(window_geometry "$1") == "$2" ]]; }
shoot_screen() { shoot_window root "$1"; }
screen_changed() { window_changed root "$1" "$2" "$whole"; }
# Pixels of shot $1 within region $2 near colour $3.
pixels_like() {
    convert "$E2E_WORK/$1.ppm" -crop "$2" +repage -fuzz 18% -fill black +opaque "$3" \
        -fill white -opaque "$3" -colorspace Gray -format '%[fx:round(mean*w*h)]' info:
}
brightness() { convert "$E2E_WORK/$1.ppm" -crop "$2" +repage -colorspace Gray -format '%[fx:mean]' info:; }
darker() { awk -v a="$1" -v b="$2" 'BEGIN { exit !(a + 0.1 < b) }'; }
keep() { keep_shot "$E2E_WORK/$1.ppm" "look-$LOOK_SCREEN-$LOOK_THEME-$1"; }

# Where the view puts things: a tenth at the top for the title, the rolling text's box in
# the rest, 90 % wide, 40 % high alone and 20 % at the top above a list.
readonly strip=$((height / 10)) rest=$((height - height / 10))
readonly box_width=$((width * 9 / 10)) box_left=$(((width - width * 9 / 10) / 2))
roll_box() { # alone|listed: prints WIDTHxHEIGHT+LEFT+TOP
    local share top
    if [[ $1 == alone ]]; then
        share=$((rest * 4 / 10))
        top=$((strip + (rest - share) / 2))
    else
        share=$((rest * 2 / 10))
        top=$((strip + rest * 4 / 100))
    fi
    echo "${box_width}x${share}+${box_left}+${top}"
}
# The text is on the band, inside it, and the band is darker than the picture around it.
check_band() { # shot, box
    local shot=$1 w h x y
    IFS='x+' read -r w h x y <<<"$2"
    local text
    text=$(pixels_like "$shot" "$2" "$gold")
    ((text > 500)) || fail "$shot: no text in the theme's colour on the band ($text pixels)"
    for edge in "${w}x3+${x}+${y}" "${w}x3+${x}+$((y + h - 3))"; do
        (($(pixels_like "$shot" "$edge" "$gold") == 0)) || fail "$shot: text touches the band's edge $edge"
    done
    local band outside
    band=$(brightness "$shot" "${w}x2+${x}+$((y + 1))")
    outside=$(brightness "$shot" "${w}x2+${x}+$((y - 6))")
    darker "$band" "$outside" || fail "$shot: the band ($band) is no darker than the picture ($outside)"
    echo "$shot: band $band under the text, picture around it $outside"
}

initialize
press F11
view=$(wait_window "$view_title")
wait_for 10 geometry_is "$view" "$whole" || fail "the view is at $(window_geometry "$view")"
wait_for 10 screen_still idle "$whole" || fail "the view does not settle"
keep idle
# The title at the top, in light gold, and the logo in its left corner.
(($(pixels_like idle "${width}x${strip}+0+0" "$light_gold") > 300)) || fail "no title at the top"
(($(pixels_like idle "$((strip * 3))x${strip}+0+0" "#1e88e5") > 300)) || fail "no logo at the top left"
check_band idle "$(roll_box alone)"
# The prize's picture stands at the left of the box.
IFS='x+' read -r _ box_height box_x box_y <<<"$(roll_box alone)"
(($(pixels_like idle "${box_height}x${box_height}+${box_x}+${box_y}" "#7b1fa2") > 300)) ||
    fail "no prize picture beside the prize"

press Return # Start
wait_for 10 screen_changed idle rolling || fail "Enter started nothing"
keep rolling
check_band rolling "$(roll_box alone)"
press Return # Stop
listed() { grep -aq '^第1轮' "$(newest_record)"; }
wait_for 10 listed || fail "Stop listed no round"
wait_for 10 screen_still listed "$whole" || fail "the view does not settle after Stop"
keep listed
check_band listed "$(roll_box listed)"
IFS='x+' read -r _ roll_height _ roll_top <<<"$(roll_box listed)"
list_top=$((roll_top + roll_height + height * 4 / 100))
list="${box_width}x$((height - height * 4 / 100 - list_top))+${box_left}+${list_top}"
(($(pixels_like listed "$list" "$gold") > 500)) || fail "the round's list shows no names in the theme's colour"
echo "the look at $LOOK_SCREEN: title, logo, prize picture, bands"

press Escape
wait_window_gone "$view_title"
xdotool windowactivate --sync "$E2E_MAIN"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
