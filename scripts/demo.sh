#!/usr/bin/env bash
# The demo behind ./run: TRAVEK with a simulated gauge box.
#
# With a desktop session TRAVEK types into whatever window has the focus. Without one (or with
# --headless) the demo brings its own X server, a text window that takes the focus, runs for a few
# seconds, prints what was typed and saves a screenshot. Everything it starts is stopped again on
# every way out: the end of the run, an error, Ctrl-C or SIGTERM.
set -euo pipefail

usage() {
    cat <<'EOF'
Usage: scripts/demo.sh [OPTIONS]     (normally started by ./run)

Starts the gauge-box simulator and TRAVEK in a fresh demo directory (a copy of
examples/demo/). With a desktop session, focus any editor and watch the values
arrive; Ctrl-C ends the demo. Without one, the demo starts Xvfb and a text
window, runs for a few seconds, prints what arrived and saves a screenshot.

Options:
  --headless         use a private X server even when a desktop session exists
  --seconds N        how long a headless run lasts (default 8)
  --interval MS      the simulated box measures every MS milliseconds (default 700)
  --seed N           seed of the simulated values (default 1, the same every run)
  --build-dir DIR    where travek, travek-sim and travek-textwin were built
                     (default: build/ of the source tree)
  --work-dir DIR     the demo directory, made afresh (default: BUILD-DIR/demo-run)
  --screenshot FILE  where a headless run saves its screenshot
                     (default: WORK-DIR/screenshot.png)
  -h, --help         this text

The processes started are listed in WORK-DIR/pids ("name pid" lines); their
output goes to WORK-DIR/*.log.
EOF
}

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
headless=0
seconds=8
interval=700
seed=1
build_dir="$root/build"
work_dir=""
screenshot=""

while [ $# -gt 0 ]; do
    case "$1" in
        --headless) headless=1 ;;
        --seconds) seconds="${2:?--seconds needs a value}"; shift ;;
        --interval) interval="${2:?--interval needs a value}"; shift ;;
        --seed) seed="${2:?--seed needs a value}"; shift ;;
        --build-dir) build_dir="${2:?--build-dir needs a value}"; shift ;;
        --work-dir) work_dir="${2:?--work-dir needs a value}"; shift ;;
        --screenshot) screenshot="${2:?--screenshot needs a value}"; shift ;;
        -h|--help) usage; exit 0 ;;
        *) echo "demo: unknown option '$1' (see --help)" >&2; exit 2 ;;
    esac
    shift
done
case "$seconds" in ''|*[!0-9]*) echo "demo: --seconds needs a whole number" >&2; exit 2 ;; esac

absolute() { case "$1" in /*) echo "$1" ;; *) echo "$PWD/$1" ;; esac; }
build_dir="$(cd "$build_dir" && pwd)"
work_dir="$(absolute "${work_dir:-$build_dir/demo-run}")"
[ -n "$screenshot" ] && screenshot="$(absolute "$screenshot")"
travek="$build_dir/src/gui/qt/travek"
sim="$build_dir/tools/sim/travek-sim"
textwin="$build_dir/tools/textwin/travek-textwin"
for program in "$travek" "$sim"; do
    if [ ! -x "$program" ]; then
        echo "demo: $program is missing; build first (./run does)" >&2
        exit 1
    fi
done

# A fresh copy of the demo each time, so that what an earlier run saved (sequence, settings) does not
# leak into this one. The marker keeps the removal away from a directory the demo did not make.
marker=".travek-demo"
if [ -e "$work_dir" ]; then
    if [ ! -e "$work_dir/$marker" ]; then
        echo "demo: $work_dir exists and was not made by the demo; it is left alone" >&2
        exit 1
    fi
    rm -rf "$work_dir"
fi
mkdir -p "$work_dir"
cp -r "$root/examples/demo/." "$work_dir/"
touch "$work_dir/$marker"
: >"$work_dir/pids"
screenshot="${screenshot:-$work_dir/screenshot.png}"

# --- processes ------------------------------------------------------------------------------------

started_names=()
started_pids=()

remember() { # name pid
    started_names+=("$1")
    started_pids+=("$2")
    echo "$1 $2" >>"$work_dir/pids"
}

alive() {
    kill -0 "$1" 2>/dev/null
}

# SIGTERM, then up to five seconds for the process to end (TRAVEK saves its files then), then SIGKILL.
stop_process() { # name pid
    local name="$1" pid="$2" tenths=0
    alive "$pid" || return 0
    kill -TERM "$pid" 2>/dev/null || true
    while alive "$pid" && [ "$tenths" -lt 50 ]; do
        sleep 0.1
        tenths=$((tenths + 1))
    done
    if alive "$pid"; then
        echo "demo: $name (pid $pid) did not end on SIGTERM; killed" >&2
        kill -KILL "$pid" 2>/dev/null || true
    fi
    wait "$pid" 2>/dev/null || true
}

cleaned_up=0
cleanup() {
    [ "$cleaned_up" = 1 ] && return 0
    cleaned_up=1
    # Last started first: TRAVEK before the box it talks to, the X server after its clients.
    local i
    for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
        stop_process "${started_names[$i]}" "${started_pids[$i]}"
    done
}
trap cleanup EXIT
trap 'echo; echo "demo: stopped"; exit 130' INT
trap 'exit 143' TERM

# Waits up to the given tenths of a second for a condition (a command) to hold; false when the
# process it depends on has ended first or the time is up.
wait_for() { # tenths pid command...
    local tenths="$1" pid="$2"
    shift 2
    while ! "$@"; do
        alive "$pid" || return 1
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
        tenths=$((tenths - 1))
    done
}

show_log() { # file
    echo "--- $1" >&2
    tail -n 20 "$1" >&2 || true
}

start_sim() {
    cd "$work_dir"
    "$sim" --link "$work_dir/gauge-box" --interval "$interval" --seed "$seed" DEMO.VAL \
        </dev/null >"$work_dir/sim.out" 2>"$work_dir/sim.log" &
    remember travek-sim $!
    if ! wait_for 100 $! test -L "$work_dir/gauge-box"; then
        echo "demo: the gauge-box simulator did not start" >&2
        show_log "$work_dir/sim.log"
        exit 1
    fi
}

start_travek() {
    cd "$work_dir"
    "$travek" --keyboard=x11 </dev/null >"$work_dir/travek.log" 2>&1 &
    remember travek $!
}

display_reachable() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# --- with a desktop session ------------------------------------------------------------------------

if [ "$headless" = 0 ] && display_reachable; then
    start_sim
    start_travek
    cat <<EOF
TRAVEK is running with a simulated gauge box in $work_dir.
The box measures its 4 channels every $interval ms; TRAVEK types each value into the window that
has the keyboard focus, followed by the keys of the sequence step (Tab, Tab, Tab, Enter, then the
series string "---" after every 4 values). Click into an editor or a spreadsheet and watch.

Ctrl-C here (or closing TRAVEK's window) ends the demo.
EOF
    wait "${started_pids[-1]}" || true
    exit 0
fi

# --- headless: a private X server and a text window with the focus ---------------------------------

for program in Xvfb xdpyinfo; do
    command -v "$program" >/dev/null || { echo "demo: $program is not installed (./run installs it)" >&2; exit 1; }
done
if [ ! -x "$textwin" ]; then
    echo "demo: $textwin is missing; build first (./run does)" >&2
    exit 1
fi
[ -n "${DISPLAY:-}" ] && [ "$headless" = 0 ] && echo "demo: the display $DISPLAY cannot be reached; running headless"

# -displayfd lets the server pick a free display and say which one once it accepts clients.
# -noreset keeps the keyboard layout when the last client goes.
screen_width=1000
screen_height=320
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 "${screen_width}x${screen_height}x24" \
    3>"$work_dir/display" </dev/null >"$work_dir/xvfb.log" 2>&1 &
remember Xvfb $!
display_known() { grep -qs "^[0-9]" "$work_dir/display"; }
if ! wait_for 100 $! display_known; then
    echo "demo: Xvfb did not start" >&2
    show_log "$work_dir/xvfb.log"
    exit 1
fi
DISPLAY=":$(head -n 1 "$work_dir/display")"
export DISPLAY

typed="$work_dir/typed.txt"
: >"$typed"
"$textwin" --out "$typed" --keep-focus --title "Text window" </dev/null >/dev/null 2>"$work_dir/textwin.log" &
remember travek-textwin $!
textwin_ready() { grep -qs ready "$work_dir/textwin.log"; }
if ! wait_for 100 $! textwin_ready; then
    echo "demo: the text window did not open" >&2
    show_log "$work_dir/textwin.log"
    exit 1
fi
# There is no window manager: TRAVEK's main window opens at the top left, so the text window
# moves to its right, where the screenshot shows both.
if command -v xdotool >/dev/null; then
    for window in $(xdotool search --name '^Text window$' 2>/dev/null); do
        xdotool windowmove "$window" 450 10 windowsize "$window" $((screen_width - 460)) 280 2>/dev/null || true
    done
fi

start_sim
start_travek
echo "Demo on the private display $DISPLAY for $seconds s: the simulated box measures every $interval ms,"
echo "TRAVEK types the values into the text window..."
travek_pid="${started_pids[-1]}"
end=$((SECONDS + seconds))
while [ "$SECONDS" -lt "$end" ]; do
    if ! alive "$travek_pid"; then
        echo "demo: TRAVEK ended early" >&2
        show_log "$work_dir/travek.log"
        exit 1
    fi
    sleep 0.2
done

import -display "$DISPLAY" -window root "$screenshot" 2>"$work_dir/import.log" || {
    echo "demo: no screenshot (is ImageMagick's import installed?)" >&2
    screenshot=""
}
cleanup

echo
echo "Typed into the text window (<Tab> and <Enter> stand for the keys):"
echo "------------------------------------------------------------------------"
cat "$typed"
# TRAVEK ends at once when stopped, in the middle of a value too: the text may end without Enter.
[ -z "$(tail -c 1 "$typed")" ] || echo
echo "------------------------------------------------------------------------"
[ -n "$screenshot" ] && echo "Screenshot: $screenshot"
echo "Demo directory: $work_dir (logs: sim.log, travek.log, textwin.log)"
if [ ! -s "$typed" ]; then
    echo "demo: nothing arrived in the text window" >&2
    show_log "$work_dir/travek.log"
    show_log "$work_dir/sim.log"
    exit 1
fi
