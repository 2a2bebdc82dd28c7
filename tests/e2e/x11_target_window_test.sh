#!/usr/bin/env bash
# The target window guard of the whole program under a private X server: TRAVEK's Zielfenster is
# the text window of class "Messung"; while another program's window ("Mail") has the focus, a
# value is typed nowhere, is logged as refused naming that window, and the step waits; once the
# target has the focus, the next value arrives there and is logged with the window's title. When
# the focus moves to another window while a line is typed (slowly, KEYDELAY), nothing more of the
# line goes out, and the log says how far it got.
#   x11_target_window_test.sh TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 3 ] || fail "usage: $0 TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN"
travek="$(realpath "$1")" sim="$(realpath "$2")" textwin="$(realpath "$3")"

make_test_dir target

write_one_channel_box "$dir"
printf '[PARAMETER]\nINTERFACE=BOX\nNK=3\nKEYDELAY=250\n\n[COMPORTS]\nCOM1=./box\n\n[LOG]\nFILE=log.csv\n\n[TARGET]\nPROGRAM="travek-textwin"\nCLASS="Messung"\nTITLE=""\nMATCHTITLE=0\n' >"$dir/TRAVEK.INI"
printf '1\t1\t{TAB};\n2\t1\tabcdefghijkl{ENTER};\n' >"$dir/ablauf.abl"
printf '0\n\n' >"$dir/ablauf.pst"
printf '12.345\n' >"$dir/values.txt"

start_xvfb "$dir"
: >"$dir/mail.txt"
"$textwin" --out "$dir/mail.txt" --class Mail --title Posteingang </dev/null >/dev/null 2>"$dir/mail.log" &
remember_pid $!
wait_until 100 grep -qs ready "$dir/mail.log" || { show_logs "$dir"; fail "the mail window did not get the focus"; }

start_box "$dir"
(cd "$dir" && exec "$travek" --keyboard=x11 </dev/null >"$dir/travek.log" 2>&1) &
remember_pid $!
wait_until 200 grep -q 'channel 1 on' "$dir/sim.log" || { show_logs "$dir"; fail "TRAVEK did not switch channel 1 on"; }
sleep 0.5 # the pause after the channel command

# TRAVEK's window may have taken the focus as it came up: the mail window takes it back.
refused_for_mail() {
    echo >&5
    sleep 0.3
    grep -a "Zielfenster nicht aktiv" "$dir/log.csv" 2>/dev/null | grep -q "Posteingang (travek-textwin, Mail)"
}
wait_until 20 refused_for_mail || { show_logs "$dir"; cat "$dir/log.csv" >&2; fail "a value while the mail window had the focus was not refused"; }
sleep 0.3
[ ! -s "$dir/mail.txt" ] || fail "the mail window received keys: $(cat "$dir/mail.txt")"

: >"$dir/target.txt"
"$textwin" --out "$dir/target.txt" --class Messung --title "Los 7" </dev/null >/dev/null 2>"$dir/target.log" &
remember_pid $!
wait_until 100 grep -qs ready "$dir/target.log" || { show_logs "$dir"; fail "the target window did not get the focus"; }
echo >&5
wait_until 100 grep -q '<Tab>' "$dir/target.txt" || { show_logs "$dir"; cat "$dir/log.csv" >&2; fail "the value did not arrive in the target"; }
[ "$(cat "$dir/target.txt")" = "12,345<Tab>" ] || fail "the target received: $(cat "$dir/target.txt")"
grep -aq ';1;1;CH 1 .*;12,345;;Los 7' "$dir/log.csv" || { cat "$dir/log.csv" >&2; fail "the typed row does not name the target window"; }
[ ! -s "$dir/mail.txt" ] || fail "the mail window received keys: $(cat "$dir/mail.txt")"

# Step 2 types about twenty keys, a quarter of a second apart; the mail window takes the focus
# once the second has arrived.
: >"$dir/target.txt"
echo >&5
wait_until 100 grep -q '^12' "$dir/target.txt" || { show_logs "$dir"; fail "TRAVEK did not start typing step 2"; }
"$textwin" --out "$dir/mail.txt" --class Mail --title Posteingang </dev/null >/dev/null 2>"$dir/mail2.log" &
remember_pid $!
wait_until 100 grep -qs ready "$dir/mail2.log" || { show_logs "$dir"; fail "the mail window did not take the focus"; }
wait_until 100 grep -aq 'Zielfenster verlassen' "$dir/log.csv" || { show_logs "$dir"; cat "$dir/log.csv" >&2; fail "the line was not cut short when the focus left the target"; }
sleep 1
[ ! -s "$dir/mail.txt" ] || fail "the mail window received keys of the line: $(cat "$dir/mail.txt")"
full='12,345abcdefghijkl<Enter>'
typed="$(cat "$dir/target.txt")"
case "$full" in
"$typed"*) [ "$typed" != "$full" ] || fail "the whole line was typed after the focus had left" ;;
*) fail "the target received more than the start of the line: $typed" ;;
esac
# The row names where the focus went, and keeps what of the value reached the target.
row="$(grep -a 'Zielfenster verlassen' "$dir/log.csv")"
case "$row" in
*";${typed:0:6};abgebrochen: Zielfenster verlassen (Posteingang (travek-textwin, Mail));"* | \
    *";12,345;Tasten des Schritts abgebrochen: Zielfenster verlassen (Posteingang (travek-textwin, Mail));"*) ;;
*) fail "the row of the cut line is wrong: $row (the target got: $typed)" ;;
esac
echo "PASS: refused while the mail window had the focus, typed into the target, cut short when the focus left:"
cat "$dir/log.csv"
