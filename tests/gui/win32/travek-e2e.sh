#!/usr/bin/env bash
# The whole Windows program under wine: travek.exe reads a simulated gauge box on COM1 and types
# into a window of another program.
#   travek-e2e.sh --prefix DIR --sim TRAVEK_SIM --travek TRAVEK_EXE --target TARGET_EXE --definition VAL
#                 [--requests N] [--log FILE] [--guard] [--late-port]
# A private Xvfb (started with -noreset, so it survives its clients coming and going) and a wine
# prefix of its own, whose every process sees that display. The simulator (a Linux program of the
# Linux build) links its pty as COM1 of the prefix and sends one value line per request. The target
# takes the focus, and once the typed text is complete it asks TRAVEK to close, which must save the
# sequence and the settings. --requests N sends N values instead of two, a quarter second apart,
# and --log keeps the target's output (change times) and the request times for bench/.
# --guard makes the target window TRAVEK's Zielfenster and first gives the focus to another
# program (wine's notepad): a value sent then must be typed nowhere, logged as refused, and the
# step must wait for the target.
# --late-port starts TRAVEK before the box's port exists, as before the adapter is plugged in: the
# box that says so must name the reason, and the port must be opened and the box initialised by
# itself once it appears.
# Exit status 0 when it all worked, 77 when Xvfb or wine cannot start here, 1 otherwise.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../platform/win32/wine-run.sh"
prefix="" sim="" travek="" target="" definition="" requests=2 log="" guard=0 late_port=0
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix=$2; shift 2 ;;
        --sim) sim=$2; shift 2 ;;
        --travek) travek=$2; shift 2 ;;
        --target) target=$2; shift 2 ;;
        --definition) definition=$2; shift 2 ;;
        --requests) requests=$2; shift 2 ;;
        --log) log=$2; shift 2 ;;
        --guard) guard=1; shift ;;
        --late-port) late_port=1; shift ;;
        *) echo "travek-e2e: unknown argument $1" >&2; exit 2 ;;
    esac
done
for file in "$travek" "$target" "$definition"; do
    [ -f "$file" ] || { echo "travek-e2e: $file is missing" >&2; exit 1; }
done
if [ -z "$sim" ] || [ ! -x "$sim" ]; then
    echo "travek-e2e: no gauge-box simulator (TRAVEK_GAUGE_SIM='$sim'); build the Linux tree first" >&2
    exit 1
fi

work=$(mktemp -d /tmp/travek-e2e.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    WINEPREFIX="$prefix" "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "travek-e2e: $*" >&2
    echo "--- simulator"; cat "$work/sim.err" 2>/dev/null
    echo "--- travek.exe"; cat "$work/travek.out" 2>/dev/null
    echo "--- target"; cat "$work/target.out" 2>/dev/null
    echo "--- measurement log"; cat "$work/run/log.csv" 2>/dev/null
    exit 1
}
# Waits up to $1 seconds for the command in the other arguments to succeed.
wait_for() {
    local seconds=$1; shift
    for _ in $(seq $((seconds * 10))); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

command -v Xvfb >/dev/null || { echo "travek-e2e: Xvfb is not installed: skipped"; exit 77; }
display=""
for n in $(seq 90 120); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -screen 0 1024x768x24 >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    if wait_for 10 test -e "/tmp/.X11-unix/X$n"; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "travek-e2e: Xvfb does not start: skipped"; cat "$work/xvfb.log"; exit 77; }
export DISPLAY=$display TRAVEK_WINE_DISPLAY=1
# A prefix of its own: the desktop process of a prefix keeps the display it was started with.
"$wine_run" --prefix "$prefix" --prepare || { echo "travek-e2e: wine does not start: skipped"; exit 77; }

# The working directory: the interface, its settings and a sequence of two steps.
mkdir -p "$work/run"
cp "$definition" "$work/run/"
name=$(basename "$definition"); name=${name%.*}
printf '[PARAMETER]\r\nINTERFACE=%s\r\nNK=3\r\n' "$name" >"$work/run/TRAVEK.INI"
printf '1\t1\t{TAB};\r\n2\t2\t{TAB};\r\n' >"$work/run/ablauf.abl"
printf '0\r\n\r\n' >"$work/run/ablauf.pst"
touch -d 2000-01-01 "$work/run/ablauf.pst"
printf '12.345\n6.789\n' >"$work/values"
if [ "$guard" = 1 ]; then
    printf '[TARGET]\r\nPROGRAM="%s"\r\nCLASS="TravekTypingTarget"\r\nMATCHTITLE=0\r\n[LOG]\r\nFILE=log.csv\r\n' \
        "$(basename "$target")" >>"$work/run/TRAVEK.INI"
    # One value only, so that refused lines do not shift what the target expects.
    printf '12.345\n' >"$work/values"
fi

start_travek() {
    (cd "$work/run" && exec "$wine_run" --prefix "$prefix" "$travek") >"$work/travek.out" 2>&1 &
    travek_pid=$!
    pids+=($travek_pid)
}
port=com1
if [ "$late_port" = 1 ]; then
    command -v xdotool >/dev/null || { echo "travek-e2e: xdotool is not installed: skipped"; exit 77; }
    # wine gives COM1 to /dev/ttyS0 where there is one: the box goes on COM2, not there yet.
    port=com2
    printf '[LOG]\r\nFILE=log.csv\r\n' >>"$work/run/TRAVEK.INI"
    sed -i 's/^COMx=.*/COMx=2\r/' "$work/run/$(basename "$definition")"
    rm -f "$prefix/dosdevices/$port"
    start_travek
    wait_for 60 xdotool search --name '^Fehler$' || fail "travek.exe said nothing of the missing port"
fi

mkfifo "$work/requests"
"$sim" --link "$prefix/dosdevices/$port" --values "$work/values" --decimals 3 --comma "$work/run/$(basename "$definition")" \
    <"$work/requests" >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
exec 8>"$work/requests"
wait_for 10 grep -q "^pty " "$work/sim.out" || fail "the simulator does not start"

[ "$late_port" = 1 ] || start_travek
# The start-up has opened COM1 and switched on the box's channels.
wait_for 60 grep -q 'command "E2"' "$work/sim.err" || fail "travek.exe did not initialise the box"
# The box about the missing port is answered; the port was opened while it stood. It is gone before
# the target takes the focus, which its closing would give back to TRAVEK's window.
if [ "$late_port" = 1 ]; then
    box_gone() { ! xdotool search --name '^Fehler$' >/dev/null 2>&1; }
    for _ in 1 2 3; do
        box_gone && break
        xdotool key Return
        wait_for 3 box_gone
    done
    box_gone || fail "the box about the missing port did not close"
fi

if [ "$guard" = 1 ]; then
    notepad="$prefix/drive_c/windows/system32/notepad.exe"
    "$wine_run" --prefix "$prefix" "$notepad" >"$work/notepad.out" 2>&1 &
    pids+=($!)
    # Until notepad has come up, TRAVEK's own window has the focus: refused too, but the test
    # waits for a refusal that names notepad.
    refused_for_notepad() {
        echo 1 >&8
        sleep 0.5
        grep -a "Zielfenster nicht aktiv" "$work/run/log.csv" 2>/dev/null | grep -qi "notepad"
    }
    wait_for 8 refused_for_notepad || fail "a value while notepad had the focus was not refused: $(cat "$work/run/log.csv" 2>/dev/null)"
    grep -a ";12,345;" "$work/run/log.csv" && fail "a value was logged as typed while notepad had the focus"
fi

expected=""
for i in $(seq "$requests"); do
    [ $((i % 2)) = 1 ] || [ "$guard" = 1 ] && expected+=$'12,345\t' || expected+=$'6,789\t'
done
"$wine_run" --prefix "$prefix" "$target" "$expected" 'Z:'"${work//\//\\}"'\ready' 60000 >"$work/target.out" 2>&1 &
target_pid=$!
pids+=($target_pid)
wait_for 60 test -e "$work/ready" || fail "the target window did not get the focus"

: >"$work/requests.log"
for i in $(seq "$requests"); do
    channel=$(( (i - 1) % 2 + 1 ))
    echo "request $(date +%s%N) $channel" >>"$work/requests.log"
    echo "$channel" >&8
    [ "$requests" -gt 2 ] && sleep 0.25
done
wait "$target_pid" || fail "the typed text did not arrive"
[ -n "$log" ] && cat "$work/requests.log" "$work/target.out" >"$log"

# The target asked TRAVEK to close: it saves the sequence and the series settings and ends.
for _ in $(seq 300); do
    kill -0 "$travek_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$travek_pid" 2>/dev/null && fail "travek.exe did not end on WM_CLOSE"
[ "$(stat -c %Y "$work/run/ablauf.pst")" -gt 946684800 ] || fail "closing did not save ablauf.pst"
grep -q "INTERFACE=$name" "$work/run/TRAVEK.INI" || fail "closing lost the interface of TRAVEK.INI"
if [ "$guard" = 1 ]; then
    grep -aq ";1;1;.*;12,345;" "$work/run/log.csv" || fail "the step did not wait for the target: $(cat "$work/run/log.csv")"
    echo "--- measurement log"
    cat "$work/run/log.csv"
fi
cat "$work/target.out"
echo "travek-e2e: typed and closed as expected"
