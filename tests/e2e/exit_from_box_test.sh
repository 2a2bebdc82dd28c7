#!/usr/bin/env bash
# A request to end is served while a box waits: a folder in the place of TRAVEK.INI (a box of the
# start-up) or of ablauf.abl (a box while the window is made) is reported over the main window,
# drawn; SIGTERM closes the box, keeps its message, saves the files and ends TRAVEK.
#   exit_from_box_test.sh TRAVEK
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 1 ] || fail "usage: $0 TRAVEK"
travek="$(realpath "$1")"
make_test_dir box
start_xvfb "$dir"
window() { xwininfo -root -tree | awk -v name="\"$1" 'index($0, name) && !n++ { print $1 }'; }
box_open() { [ -n "$(window Fehler)" ]; }
# Its light grey face, not the black of a window nobody drew.
drawn() { [ "$(import -window "$(window Fehler)" png:- | convert - -format '%[fx:mean > 0.5]' info:)" = 1 ]; }

for folder in TRAVEK.INI ablauf.abl; do
    work="$dir/$folder.run"
    mkdir -p "$work/$folder"
    (cd "$work" && exec "$travek" --keyboard=log </dev/null >"$dir/travek.log" 2>&1) &
    pid=$! && remember_pid $!
    wait_until 200 box_open || { show_logs "$dir"; fail "$folder: no box"; }
    xwininfo -id "$(window "TRAVEK v1.01")" | grep -q IsViewable || fail "$folder: the box came before the window"
    wait_until 100 drawn || fail "$folder: the box is not drawn"
    signalled=$(date +%s%N) && kill -TERM "$pid"
    wait_until 100 eval '! kill -0 '"$pid"' 2>/dev/null' || fail "$folder: still running 10 s after SIGTERM"
    echo "[ figures  ] $folder: ended within $((($(date +%s%N) - signalled) / 1000000)) ms of SIGTERM (polled every 100 ms)"
    wait "$pid" || fail "$folder: TRAVEK ended with status $?"
    grep -q "travek: $folder: ein Ordner, keine Datei" "$dir/travek.log" || fail "$folder: the message is lost"
    [ "$(cat "$work/ablauf.pst")" = $'0\r\n\r' ] || fail "$folder: ablauf.pst was not saved"
    [ -d "$work/TRAVEK.INI" ] || grep -q 'INTERFACE=PX5R' "$work/TRAVEK.INI" || fail "$folder: TRAVEK.INI not saved"
done
echo "PASS"
