# shellcheck shell=bash
# Sourced by the end-to-end test scripts: failing, skipping, waiting, and processes started by the
# test itself (never anybody else's).

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Status 77 is the skip code the tests are registered with; under CI a missing tool is a failure.
skip_or_fail() {
    if [ "${CI:-}" = "true" ]; then
        fail "$* (CI=true: not skipped)"
    fi
    echo "SKIP: $*"
    exit 77
}

# Waits up to the given tenths of a second for a command to succeed.
wait_until() { # tenths command...
    local tenths="$1"
    shift
    while ! "$@"; do
        [ "$tenths" -gt 0 ] || return 1
        sleep 0.1
        tenths=$((tenths - 1))
    done
}

# True while the process is alive and still the program of that name (a pid can be reused).
process_running() { # pid name
    local pid="$1" name="$2" cmdline
    [ -r "/proc/$pid/cmdline" ] || return 1
    cmdline="$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" || return 1
    # A zombie has an empty command line and is no longer running.
    [ -n "$cmdline" ] && [[ "$cmdline" == *"$name"* ]]
}

test_pids=()
remember_pid() {
    test_pids+=("$1")
}

# Stops what the test started itself, last first.
stop_test_processes() {
    local i pid
    for ((i = ${#test_pids[@]} - 1; i >= 0; i--)); do
        pid="${test_pids[$i]}"
        kill -TERM "$pid" 2>/dev/null || continue
        wait_until 50 eval "! kill -0 $pid 2>/dev/null" || kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    test_pids=()
}

# Starts Xvfb on a free display (-displayfd) and exports DISPLAY. -noreset keeps the server's state
# when its last client goes.
start_xvfb() { # dir
    local dir="$1"
    command -v Xvfb >/dev/null || skip_or_fail "Xvfb is not installed"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1000x320x24 3>"$dir/display" \
        </dev/null >"$dir/xvfb.log" 2>&1 &
    remember_pid $!
    wait_until 100 grep -qs "^[0-9]" "$dir/display" || { cat "$dir/xvfb.log" >&2; fail "Xvfb did not start"; }
    DISPLAY=":$(head -n 1 "$dir/display")"
    export DISPLAY
}

# The end of every log file in dir, on standard error, for a failure's report.
show_logs() { # dir
    local log
    for log in "$1"/*.log; do
        echo "--- $(basename "$log")" >&2
        tail -n 30 "$log" >&2
    done
}

# A working folder for the test in $dir, removed when the test ends, together with every process
# the test started; the simulator's trigger (descriptor 5) is closed first.
make_test_dir() { # name
    dir="$(mktemp -d "${TMPDIR:-/tmp}/travek-e2e-$1.XXXXXX")"
    trap 'exec 5>&- 2>/dev/null || true; stop_test_processes; rm -rf "$dir"' EXIT
}

# The text window of the test, with the focus, writing what it receives to $typed.
start_text_window() { # dir
    typed="$1/typed.txt"
    : >"$typed"
    "$textwin" --out "$typed" --keep-focus </dev/null >/dev/null 2>"$1/textwin.log" &
    remember_pid $!
    wait_until 100 grep -q ready "$1/textwin.log" || { show_logs "$1"; fail "the text window did not get the focus"; }
}

# The simulated box of BOX.VAL in dir, linked as dir/box, sending values.txt. It measures only
# when asked: an empty line on descriptor 5 is the foot switch for every active channel. The
# descriptor stays open for writing, so the box never sees an end.
start_box() { # dir
    mkfifo "$1/trigger"
    exec 5<>"$1/trigger"
    (cd "$1" && exec "$sim" --link "$1/box" --values values.txt BOX.VAL <"$1/trigger" \
        >"$1/sim.out" 2>"$1/sim.log") &
    remember_pid $!
    wait_until 100 test -L "$1/box" || { show_logs "$1"; fail "the simulator did not make its link"; }
}

# A 1-channel box, CH_1 switched on by E1, its value at positions 6 to 15: BOX.VAL in dir.
write_one_channel_box() { # dir
    printf '%s\r\n' '[PARAMETER]' COMx=1 BAUD=9600 PARITY=0 BYTELEN=8 STOPBITS=1 CNTCH=1 MW_SIGN1=CH_1 \
        MWI_SIGN1=E1 DISALL=D0 ENDCHAR1=13 STARTPOS=6 ENDPOS=15 >"$1/BOX.VAL"
}

# A headless sway with the config file given, its runtime directory in dir/run. sway refuses to
# run as root, so under root it runs as nobody, and root connects to its socket. Sets sway_pid,
# runtime, socket, ipc and as_sway_user (the command prefix that runs as sway's user), and exports XDG_RUNTIME_DIR and WAYLAND_DISPLAY; skips (or fails
# under CI) when sway cannot start here.
start_headless_sway() { # dir config
    as_sway_user=()
    runtime="$1/run"
    mkdir "$runtime"
    if [ "$(id -u)" -eq 0 ]; then
        command -v setpriv >/dev/null || skip_or_fail "setpriv is not installed"
        as_sway_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
        chown 65534:65534 "$runtime"
    fi
    chmod 700 "$runtime"
    chmod 644 "$2"
    env -i PATH="$PATH" HOME="$runtime" XDG_RUNTIME_DIR="$runtime" WLR_BACKENDS=headless WLR_RENDERER=pixman \
        WLR_LIBINPUT_NO_DEVICES=1 "${as_sway_user[@]}" sway -c "$2" </dev/null >"$1/sway.log" 2>&1 &
    sway_pid=$!
    remember_pid "$sway_pid"
    sway_up() {
        kill -0 "$sway_pid" 2>/dev/null || return 0 # gone: stop waiting
        compgen -G "$runtime/wayland-*.lock" >/dev/null && compgen -G "$runtime/sway-ipc.*.sock" >/dev/null
    }
    wait_until 100 sway_up || true
    if ! kill -0 "$sway_pid" 2>/dev/null || ! compgen -G "$runtime/sway-ipc.*.sock" >/dev/null; then
        tail -n 20 "$1/sway.log" >&2
        skip_or_fail "sway did not start here"
    fi
    socket="$(basename "$(compgen -G "$runtime/wayland-*.lock" | head -n 1)" .lock)"
    ipc="$(compgen -G "$runtime/sway-ipc.*.sock" | head -n 1)"
    export XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY="$socket"
    unset DISPLAY
}
