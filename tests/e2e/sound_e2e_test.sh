#!/usr/bin/env bash
# The real program's sounds, read from the requests it writes to KELVARA_SOUND_LOG (the test
# machine has no sound device, so nothing plays): the loop from Start to Stop, the fanfare at
# Stop, a prize's own music from the 声音 folder, F8's mute, which the next start keeps.
# Usage: sound_e2e_test.sh <kelvara> <bonus.txt>
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
require_tools convert import
export KELVARA_SOUND_LOG="$E2E_WORK/sound.log"
printf '三等奖 2\r\n一等奖 1\r\n' >"$E2E_WORK/奖项.txt"
mkdir "$E2E_WORK/声音"
printf 'ID3' >"$E2E_WORK/声音/一等奖.mp3"

# The log's lines from line $1 on, joined by "|".
log_from() { tail -n "+$1" "$KELVARA_SOUND_LOG" 2>/dev/null | paste -sd'|'; }
log_is() { [[ $(log_from "$1") == "$2" ]]; }
expect_log() { # first line, lines
    wait_for 10 log_is "$1" "$2" || fail "sound requests: '$(log_from "$1")', not '$2'"
}

e2e_start "${1:?path of the built kelvara}" "${2:?path of the sample bonus.txt}"
expect_log 1 "volume 80|mute off" # a fresh start: sound on
initialize

# 三等奖 has no music of its own: the built-in loop, then the fanfare.
shoot before-round
press space
expect_log 3 "loop builtin:roll"
press space
expect_log 3 "loop builtin:roll|once builtin:fanfare"
wait_for 10 changed before-round after-round "$plan_results_area" || fail "no round was listed"

# 一等奖 rolls to its own file; F8 silences it, and its stop plays nothing.
shoot before-round
press space
expect_log 5 "loop 声音/一等奖.mp3"
press F8
expect_log 5 "loop 声音/一等奖.mp3|mute on|stop"
press space
wait_for 10 changed before-round after-round "$plan_results_area" || fail "no round was listed"
expect_log 5 "loop 声音/一等奖.mp3|mute on|stop"
grep -q '"静音": true' "$E2E_WORK/摇号设置.json" || fail "mute is not in the settings file"

press alt+x
e2e_exit_with_yes_twice

# The next start is muted from the first request; F8 gives the sound back.
next=$(($(wc -l <"$KELVARA_SOUND_LOG") + 1))
e2e_launch
e2e_focus_main
expect_log "$next" "volume 80|mute on"
press F8
expect_log "$next" "volume 80|mute on|mute off"
press alt+x
e2e_exit_with_yes_twice
echo "PASS"
