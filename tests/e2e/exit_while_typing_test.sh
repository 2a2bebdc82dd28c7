#!/usr/bin/env bash
# An exit requested while a slow value is typed (KEYDELAY=1000, the slowest allowed) is served at
# once: TRAVEK ends on SIGTERM long before the value would be done, saves its files, types nothing
# after it has ended, and the measurement log notes the line as cut short.
#   exit_while_typing_test.sh TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 3 ] || fail "usage: $0 TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN"
travek="$(realpath "$1")" sim="$(realpath "$2")" textwin="$(realpath "$3")"

make_test_dir exit

write_one_channel_box "$dir"
printf '[PARAMETER]\nINTERFACE=BOX\nNK=3\nKEYDELAY=1000\n\n[COMPORTS]\nCOM1=./box\n\n[LOG]\nFILE=messung.csv\n' \
    >"$dir/TRAVEK.INI"
# The value and its keys take about 20 presses: 20 seconds at this pace.
printf '1\t1\tabcdefghijkl{ENTER};\n' >"$dir/ablauf.abl"
printf '%s\n' 12.345 >"$dir/values.txt"
full='12,345abcdefghijkl<Enter>'

start_xvfb "$dir"
start_text_window "$dir"

start_box "$dir"

# Its own window off screen: the keys go through the X server all the same.
(cd "$dir" && exec env QT_QPA_PLATFORM=offscreen "$travek" --keyboard=x11 </dev/null >"$dir/travek.log" 2>&1) &
travek_pid=$!
remember_pid "$travek_pid"
wait_until 200 grep -q 'channel 1 on' "$dir/sim.log" || { show_logs "$dir"; fail "TRAVEK did not switch channel 1 on"; }
sleep 0.5

echo >&5
# The second key has arrived: the value is being typed, a key a second.
wait_until 100 grep -q '^12' "$typed" || { show_logs "$dir"; fail "TRAVEK did not start typing"; }
signalled=$(date +%s%N)
kill -TERM "$travek_pid"
# Typing the rest would take more than 15 s; the exit must not wait for it.
if ! wait_until 50 eval '! kill -0 '"$travek_pid"' 2>/dev/null'; then
    show_logs "$dir"
    fail "TRAVEK did not end within 5 s of SIGTERM while typing"
fi
echo "[ figures  ] TRAVEK ended within $((($(date +%s%N) - signalled) / 1000000)) ms of SIGTERM (polled every 100 ms)"
status=0
wait "$travek_pid" || status=$?
[ "$status" -eq 0 ] || { show_logs "$dir"; fail "TRAVEK ended with status $status"; }

at_exit="$(cat "$typed")"
sleep 2
after="$(cat "$typed")"
[ "$after" = "$at_exit" ] || { show_logs "$dir"; fail "keys arrived after TRAVEK had ended: '$at_exit' then '$after'"; }
case "$full" in
"$at_exit"*) ;;
*) show_logs "$dir"; fail "the text typed is not the start of the value: '$at_exit'" ;;
esac
[ "$at_exit" != "$full" ] || { show_logs "$dir"; fail "the whole value was typed: the exit waited for it"; }
grep -q ';CH 1    +12,345;;abgebrochen: TRAVEK wurde beendet' "$dir/messung.csv" ||
    { show_logs "$dir"; cat "$dir/messung.csv" >&2; fail "the log does not note the line as cut short"; }
grep -q 'abcdefghijkl{ENTER}' "$dir/ablauf.abl" || { show_logs "$dir"; fail "the sequence was not saved at exit"; }
echo "PASS: typed before the exit: $at_exit"
