#!/usr/bin/env bash
# The demo behind ./run, headless: it ends by itself, prints what was typed, saves a screenshot
# and leaves none of the processes it started behind — also when it is stopped with SIGTERM.
#   demo_headless_test.sh DEMO-SCRIPT BUILD-DIR WORK-DIR
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 3 ] || fail "usage: $0 DEMO-SCRIPT BUILD-DIR WORK-DIR"
demo="$1" build_dir="$2" work_root="$3"
command -v Xvfb >/dev/null || skip_or_fail "Xvfb is not installed"
mkdir -p "$work_root"
# The demo makes its directory afresh and refuses to remove one it did not make.
rm -rf "$work_root/run" "$work_root/stopped"

# Every process listed in the demo's pids file has ended, its link is gone, its X server's socket too.
check_nothing_left() { # work-dir
    local work="$1" name pid
    [ -s "$work/pids" ] || fail "the demo wrote no pids file"
    for name in Xvfb travek-textwin travek-sim travek; do
        grep -q "^$name " "$work/pids" || fail "the demo did not start $name"
    done
    while read -r name pid; do
        ! process_running "$pid" "$name" || fail "$name (pid $pid) is still running after the demo"
    done <"$work/pids"
    if [ -e "$work/gauge-box" ] || [ -L "$work/gauge-box" ]; then
        fail "the simulator's link was left behind"
    fi
    local display
    display="$(head -n 1 "$work/display")"
    [ ! -e "/tmp/.X11-unix/X$display" ] || fail "the X server's socket :$display was left behind"
}

# --- a run that ends by itself ---------------------------------------------------------------------
out="$work_root/run.out"
status=0
"$demo" --headless --seconds 4 --build-dir "$build_dir" --work-dir "$work_root/run" >"$out" 2>&1 || status=$?
cat "$out"
[ "$status" -eq 0 ] || fail "the demo ended with status $status"

# Whole lines of the 4-step sequence: three values with Tab, one with Enter, then the series string.
value='-?[0-9]+,[0-9]{3}'
grep -Eq "^$value<Tab>$value<Tab>$value<Tab>$value<Enter>\$" "$out" || fail "no complete sequence in the output"
grep -q '^---<Enter>$' "$out" || fail "no series string in the output"
# What was printed is what the text window received.
printed="$(sed -n '/^-----/,/^-----/p' "$out" | sed '1d;$d')"
[ "$printed" = "$(cat "$work_root/run/typed.txt")" ] || fail "the printed text differs from the text window's"

shot="$(sed -n 's/^Screenshot: //p' "$out")"
[ -n "$shot" ] || fail "the demo named no screenshot"
[ "$(head -c 8 "$shot" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] || fail "$shot is not a PNG file"
check_nothing_left "$work_root/run"
# TRAVEK was stopped the way that lets it save its state.
[ -s "$work_root/run/ablauf.abl" ] || fail "TRAVEK did not save its sequence at the end"
grep -q '^INTERFACE=DEMO' "$work_root/run/TRAVEK.INI" || fail "TRAVEK.INI lost its interface"

# --- a run stopped from outside ----------------------------------------------------------------------
stopped="$work_root/stopped"
"$demo" --headless --seconds 120 --build-dir "$build_dir" --work-dir "$stopped" >"$work_root/stopped.out" 2>&1 &
demo_pid=$!
remember_pid "$demo_pid"
trap stop_test_processes EXIT
something_typed() { [ -s "$stopped/typed.txt" ]; }
wait_until 300 something_typed || { cat "$work_root/stopped.out"; fail "nothing was typed in the stopped run"; }
kill -TERM "$demo_pid"
status=0
wait "$demo_pid" || status=$?
trap - EXIT
[ "$status" -eq 143 ] || { cat "$work_root/stopped.out"; fail "SIGTERM: the demo ended with status $status, not 143"; }
check_nothing_left "$stopped"
echo "PASS"
