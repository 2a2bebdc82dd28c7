#!/usr/bin/env bash
# The whole chain under a private X server: the simulated box sends lines on a pseudo terminal,
# TRAVEK recognises the channels, formats the values and types them with the X11 keyboard, and
# the text window that has the focus receives exactly the expected keys.
#   x11_typing_test.sh TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 3 ] || fail "usage: $0 TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN"
travek="$(realpath "$1")" sim="$(realpath "$2")" textwin="$(realpath "$3")"

make_test_dir x11

# A 4-channel box whose identifiers contain blanks ("_"), values at positions 6 to 15.
cat >"$dir/BOX.VAL" <<'EOF'
[PARAMETER]
COMx=1
BAUD=9600
PARITY=0
BYTELEN=8
STOPBITS=1
CNTCH=4
MW_SIGN1=CH_1
MW_SIGN2=CH_2
MW_SIGN3=CH_3
MW_SIGN4=CH_4
MWI_SIGN1=E1
MWI_SIGN2=E2
MWI_SIGN3=E3
MWI_SIGN4=E4
DISALL=D0
ENDCHAR1=13
STARTPOS=6
ENDPOS=15
EOF
printf '[PARAMETER]\nINTERFACE=BOX\nNK=3\n\n[COMPORTS]\nCOM1=./box\n' >"$dir/TRAVEK.INI"
# Four steps, channels 1 to 4; after every 4 values the series string "---" and Enter.
printf '1\t1\t{TAB};\n2\t2\t{TAB};\n3\t3\t{TAB};\n4\t4\t{ENTER};\n' >"$dir/ablauf.abl"
printf '4\n---;{ENTER};\n' >"$dir/ablauf.pst"
# The values the box sends, in order: signs, zero, whole numbers, three decimals.
printf '%s\n' 12.345 -1.5 0 24.999 7.1 -0.25 3.333 10 >"$dir/values.txt"
expected='12,345<Tab>-1,500<Tab>0,000<Tab>24,999<Enter>
---<Enter>
7,100<Tab>-0,250<Tab>3,333<Tab>10,000<Enter>
---<Enter>'

start_xvfb "$dir"

start_text_window "$dir"

start_box "$dir"

(cd "$dir" && exec "$travek" --keyboard=x11 </dev/null >"$dir/travek.log" 2>&1) &
travek_pid=$!
remember_pid "$travek_pid"

# TRAVEK switches every channel off, then the sequence's channels on, one after the other.
wait_until 200 grep -q 'channel 4 on' "$dir/sim.log" || { show_logs "$dir"; fail "TRAVEK did not switch channel 4 on"; }
grep -q 'all channels off' "$dir/sim.log" || { show_logs "$dir"; fail "TRAVEK did not switch all channels off first"; }
# The pause after the last channel command.
sleep 0.5

typed_lines() { # count
    [ "$(grep -c '<Enter>' "$typed")" -ge "$1" ]
}
for round in 1 2; do
    echo >&5
    wait_until 100 typed_lines $((round * 2)) || break
done

actual="$(cat "$typed")"
if [ "$actual" != "$expected" ]; then
    show_logs "$dir"
    echo "expected:" >&2
    echo "$expected" >&2
    echo "typed:" >&2
    echo "$actual" >&2
    fail "the text window did not receive the expected keys"
fi
kill -0 "$travek_pid" 2>/dev/null || { show_logs "$dir"; fail "TRAVEK ended during the run"; }
echo "PASS: the text window received:"
echo "$actual"
