#!/usr/bin/env bash
# The whole chain on a headless sway: the simulated box sends lines on a pseudo terminal, TRAVEK
# (with its default keyboard, which must choose wayland here) types the values and the key
# strings through its virtual keyboard, and the focused windows receive exactly the text:
#   1. a native Wayland terminal (foot), whose shell writes what arrives to a file;
#   2. an X11 window under sway's XWayland (travek-textwin).
# sway refuses to run as root, so under root it runs as nobody with a runtime directory of its
# own; root may connect to its socket.
#   wayland_typing_test.sh TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/../../e2e/helpers.sh"
[ $# -eq 3 ] || fail "usage: $0 TRAVEK TRAVEK-SIM TRAVEK-TEXTWIN"
travek="$(realpath "$1")" sim="$(realpath "$2")" textwin="$(realpath "$3")"

for tool in sway foot swaymsg; do
    command -v "$tool" >/dev/null || skip_or_fail "$tool is not installed"
done

dir="$(mktemp -d "${TMPDIR:-/tmp}/travek-wayland.XXXXXX")"
chmod 755 "$dir"
finish() {
    exec 5>&- 2>/dev/null || true
    stop_test_processes
    rm -rf "$dir"
}
trap finish EXIT

# sway tells its X display (XWayland's, started on the first X client) to its children.
printf 'xwayland enable\nexec sh -c '"'"'echo "$DISPLAY" >"$XDG_RUNTIME_DIR/x-display"'"'"'\n' >"$dir/sway.conf"
start_headless_sway "$dir" "$dir/sway.conf"

# Succeeds once a window matching the criteria exists, and gives it the focus.
focus() { # criteria
    swaymsg -s "$ipc" "$1 focus" >/dev/null 2>&1
}

# A 2-channel box, values at positions 6 to 15; the steps type a value, Tab, a value and Enter,
# and after every 2 values the series string: characters that need Shift or AltGr on common
# layouts and 8-bit ones ("@@" types "@"; "ä" and "€" in Windows-1252), Ctrl+a ("^a"; the
# terminal passes it on as byte 1) and an "x" that must arrive without Ctrl, then Enter.
cat >"$dir/BOX.VAL" <<'VAL'
[PARAMETER]
COMx=1
BAUD=9600
PARITY=0
BYTELEN=8
STOPBITS=1
CNTCH=2
MW_SIGN1=CH_1
MW_SIGN2=CH_2
MWI_SIGN1=E1
MWI_SIGN2=E2
DISALL=D0
ENDCHAR1=13
STARTPOS=6
ENDPOS=15
VAL
printf '[PARAMETER]\nINTERFACE=BOX\nNK=3\n\n[COMPORTS]\nCOM1=./box\n' >"$dir/TRAVEK.INI"
printf '1\t1\t{TAB};\n2\t2\t{ENTER};\n' >"$dir/ablauf.abl"
printf '2\n@@|~\xe4\x80^ax;{ENTER};\n' >"$dir/ablauf.pst"
# Doubled digits, whose second press must not be taken for a repeat.
printf '%s\n' 100.004 -0.5 12.345 1100 >"$dir/values.txt"
expected_line1=$'100,004\t-0,500'
expected_line2=$'@|~ä€\x01x'
expected_line3=$'12,345\t1100,000'

mkfifo "$dir/trigger"
exec 5<>"$dir/trigger"
(cd "$dir" && exec "$sim" --link "$dir/box" --values values.txt BOX.VAL <"$dir/trigger" \
    >"$dir/sim.out" 2>"$dir/sim.log") &
remember_pid $!
wait_until 100 test -L "$dir/box" || { show_logs "$dir"; fail "the simulator did not make its link"; }

# 1. foot, a native Wayland client; its shell writes the entered lines to a file.
typed="$dir/typed.txt"
foot -e sh -c "stty -echo; : >'$dir/ready'; exec cat >'$typed'" </dev/null >"$dir/foot.log" 2>&1 &
remember_pid $!
wait_until 100 test -e "$dir/ready" || { show_logs "$dir"; fail "foot did not start its shell"; }
wait_until 100 focus '[app_id="foot"]' || { show_logs "$dir"; fail "foot did not get the focus"; }

(cd "$dir" && exec env QT_QPA_PLATFORM=offscreen "$travek" </dev/null >"$dir/travek.log" 2>&1) &
travek_pid=$!
remember_pid "$travek_pid"
wait_until 200 grep -q 'channel 2 on' "$dir/sim.log" || { show_logs "$dir"; fail "TRAVEK did not switch channel 2 on"; }
sleep 0.5 # the pause after the last channel command

typed_lines() { # file count
    [ "$(wc -l <"$1")" -ge "$2" ]
}
echo >&5
wait_until 100 typed_lines "$typed" 2 || true
expected="$expected_line1"$'\n'"$expected_line2"
actual="$(cat "$typed")"
if [ "$actual" != "$expected" ]; then
    show_logs "$dir"
    printf 'expected:\n%s\ntyped:\n%s\n' "$expected" "$actual" | cat -A >&2
    fail "foot did not receive the expected keys"
fi
echo "PASS: foot received:"
echo "$actual"

# 2. An X11 window under XWayland takes the focus; the same keyboard reaches it.
if ! command -v Xwayland >/dev/null; then
    skip_or_fail "Xwayland is not installed: only the native client was checked"
fi
# XWayland lets only sway's user connect, so the window runs as that user too.
xtyped="$runtime/xtyped.txt"
wait_until 100 test -s "$runtime/x-display" || true
xdisplay="$(cat "$runtime/x-display" 2>/dev/null || true)"
[ -n "$xdisplay" ] || { show_logs "$dir"; fail "sway's XWayland display is not known"; }
"${as_sway_user[@]}" "$textwin" --display "$xdisplay" --out "$xtyped" \
    --title travek-x11 </dev/null >/dev/null 2>"$dir/textwin.log" &
remember_pid $!
wait_until 100 grep -qs ready "$dir/textwin.log" || { show_logs "$dir"; fail "the X11 window did not start"; }
wait_until 100 focus '[title="travek-x11"]' || { show_logs "$dir"; fail "the X11 window did not get the focus"; }
echo >&5
entered_twice() {
    [ "$(grep -o '<Enter>' "$xtyped" 2>/dev/null | wc -l)" -ge 2 ]
}
wait_until 100 entered_twice || true
expected="$(printf '%s<Enter>\n%s<Enter>' "${expected_line3//$'\t'/<Tab>}" "${expected_line2//$'\x01'/<Ctrl+a>}")"
actual="$(cat "$xtyped")"
if [ "$actual" != "$expected" ]; then
    show_logs "$dir"
    printf 'expected:\n%s\ntyped:\n%s\n' "$expected" "$actual" >&2
    fail "the X11 window under XWayland did not receive the expected keys"
fi
kill -0 "$travek_pid" 2>/dev/null || { show_logs "$dir"; fail "TRAVEK ended during the run"; }
echo "PASS: the X11 window received:"
echo "$actual"
