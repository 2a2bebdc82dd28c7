#!/usr/bin/env bash
# The portal keyboard on the real desktops, started headless on this machine: GNOME (gnome-shell
# --headless with xdg-desktop-portal-gnome) and KDE Plasma (kwin_wayland --virtual with
# xdg-desktop-portal-kde), each with a German layout. The simulated box sends lines, TRAVEK
# (--keyboard=portal) types values, Tab, AltGr characters between digits, Enter and a series string
# of German and AltGr characters into a native Wayland window that takes text input, which must
# receive exactly that, in every round. The figures (line to first key, line to last key) are
# printed at the end.
#
# GNOME is run as its users have it, with its recommended packages: gnome-shell then starts IBus,
# through which every key for a window that takes text goes (GNOME before 49.1 tells the window the
# modifiers before such a key arrives, so TRAVEK holds keys there). A GNOME without IBus fails.
#
# Each desktop runs as an unprivileged user (nobody under root) with a private session bus, a
# private system bus (gnome-shell will not start without one) and its own runtime directory.
# GNOME asks for the permission in a dialog, granted here through the accessibility bus; on GNOME
# a second virtual keyboard is kept open, since a seat without any keyboard device loses the
# first keys of its first virtual keyboard (a real desktop always has one).
#
#   portal_desktops_test.sh TRAVEK TRAVEK-SIM [gnome] [kde]
# Status 77: none of the desktops is installed. TRAVEK_DESKTOP_ROUNDS sets the number of values.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/helpers.sh
source "$here/../e2e/helpers.sh"
[ $# -ge 2 ] || fail "usage: $0 TRAVEK TRAVEK-SIM [gnome] [kde]"
travek="$(realpath "$1")" sim="$(realpath "$2")"
shift 2
desktops=("$@")
[ ${#desktops[@]} -gt 0 ] || desktops=(gnome kde)
rounds="${TRAVEK_DESKTOP_ROUNDS:-12}"

installed() { # desktop
    local tools=(xdg-desktop-portal python3 dbus-run-session)
    case "$1" in
    gnome) tools+=(gnome-shell foot ibus-daemon) ;;
    kde) tools+=(kwin_wayland) ;;
    esac
    for tool in "${tools[@]}"; do
        command -v "$tool" >/dev/null || [ -x "/usr/libexec/$tool" ] || return 1
    done
    case "$1" in
    gnome) [ -x /usr/libexec/xdg-desktop-portal-gnome ] ;;
    kde) compgen -G "/usr/lib/*/libexec/xdg-desktop-portal-kde" >/dev/null ;;
    esac &&
        /usr/bin/python3 -c 'import gi; gi.require_version("Gtk", "3.0"); gi.require_version("Atspi", "2.0"); import pyatspi' \
            2>/dev/null
}

as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)

# What the window must receive for the values given (NK=3): value, Tab, value, AltGr characters
# between digits, Enter, then the series string after every second value ("@@" types "@", ^a is
# Ctrl+a; "{" comes last in its piece, where no "}" makes it a named key).
altgr='@2[3]4\5~6|7µ8²9³0€}1{'
series=$'@|~äöüß€^Ax\n'
values=(100.004 -0.5 0.004 100 12.345 1100 -7.77 0.1)
expected_text() { # count
    local i text="" v
    for ((i = 0; i < $1; i++)); do
        v="${values[i % ${#values[@]}]}"
        text+="$(LC_ALL=C printf '%.3f' "$v" | tr . ,)"
        if ((i % 2 == 0)); then text+=$'\t'; else text+="$altgr"$'\n'"$series"; fi
    done
    printf '%s' "$text"
}
# Characters, not bytes: "ä" and "€" are two and three bytes in the window's file.
characters() { LC_ALL=C.UTF-8 wc -m; }

run_desktop() { # gnome|kde
    local desktop="$1" dir
    dir="$(mktemp -d "${TMPDIR:-/tmp}/travek-$desktop.XXXXXX")"
    chmod 755 "$dir"
    mkdir "$dir/run" "$dir/home" "$dir/logs" "$dir/work"
    [ ${#as_user[@]} -eq 0 ] || chown 65534:65534 "$dir/run" "$dir/home" "$dir/logs" "$dir/work"
    chmod 700 "$dir/run"
    local run="$dir/run" logs="$dir/logs" work="$dir/work"
    local socket="wl-travek" current=GNOME
    [ "$desktop" = kde ] && current=KDE
    local env=(env -i PATH=/usr/bin:/bin HOME="$dir/home" XDG_RUNTIME_DIR="$run" XDG_CURRENT_DESKTOP="$current"
               XDG_SESSION_TYPE=wayland DBUS_SYSTEM_BUS_ADDRESS="unix:path=$run/system_bus_socket")

    cat >"$dir/system.conf" <<EOF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$run/system_bus_socket</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*"/><allow receive_sender="*"/><allow own="*"/><allow user="*"/>
  </policy>
</busconfig>
EOF
    local compositor
    if [ "$desktop" = gnome ]; then
        compositor="gsettings set org.gnome.desktop.input-sources sources \"[('xkb', 'de')]\"
exec gnome-shell --headless --wayland --no-x11 --virtual-monitor 1024x768 --wayland-display=$socket"
    else
        # The file capability of kwin_wayland is refused in containers; a copy has none.
        cp /usr/bin/kwin_wayland "$dir/kwin_wayland"
        compositor="mkdir -p \$HOME/.config && printf '[Layout]\\nLayoutList=de\\nUse=true\\n' >\$HOME/.config/kxkbrc
exec $dir/kwin_wayland --virtual --no-lockscreen --no-global-shortcuts --no-kactivities --socket $socket --width 1024 --height 768"
    fi
    cat >"$dir/session.sh" <<EOF
#!/bin/bash
dbus-daemon --config-file=$dir/system.conf --nofork --nopidfile >$logs/systembus.log 2>&1 &
echo "\$DBUS_SESSION_BUS_ADDRESS" >$logs/bus.tmp && mv $logs/bus.tmp $logs/bus
# Services the bus starts (the portals) find the compositor through this.
dbus-update-activation-environment WAYLAND_DISPLAY=$socket XDG_CURRENT_DESKTOP=$current \
    XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland DBUS_SYSTEM_BUS_ADDRESS=unix:path=$run/system_bus_socket
$compositor
EOF
    chmod 755 "$dir/session.sh" "$dir/system.conf"
    "${as_user[@]}" "${env[@]}" dbus-run-session -- "$dir/session.sh" </dev/null >"$logs/session.log" 2>&1 &
    remember_pid $!
    # Whatever fails from here, the desktop goes with the test.
    trap 'stop_test_processes; stop_desktop "'"$run"'"; rm -rf "'"$dir"'"' EXIT
    wait_until 300 test -e "$run/$socket" || { show_logs "$logs"; fail "$desktop: the compositor did not start"; }
    wait_until 100 test -s "$logs/bus" || { show_logs "$logs"; fail "$desktop: no session bus"; }
    local session_env=("${env[@]}" WAYLAND_DISPLAY="$socket" DBUS_SESSION_BUS_ADDRESS="$(cat "$logs/bus")")
    as_desktop_user() { "${as_user[@]}" "${session_env[@]}" "$@"; }

    # The window opens first, and the focus comes back to it when the permission dialog goes.
    # GNOME starts in its overview, whose search field has the keyboard: it is closed first.
    if [ "$desktop" = gnome ]; then
        wait_until 300 grep -q "GNOME Shell started" "$logs/session.log" ||
            { show_logs "$logs"; fail "gnome: the shell did not start"; }
        overview_closed() {
            as_desktop_user gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
                --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive "<false>" >/dev/null
            as_desktop_user gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
                --method org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive | grep -q false
        }
        wait_until 100 overview_closed || { show_logs "$logs"; fail "gnome: the overview stays open"; }
        ibus_running() {
            as_desktop_user gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
                --method org.freedesktop.DBus.NameHasOwner org.freedesktop.IBus | grep -q true
        }
        wait_until 300 ibus_running || { show_logs "$logs"; fail "gnome: the shell did not start IBus"; }
    fi
    local typed="$work/typed.txt"
    # foot cannot start on KWin's virtual output (a division by zero), so KDE gets a GTK window.
    if [ "$desktop" = gnome ]; then
        as_desktop_user foot -e /usr/bin/python3 "$here/tty_reader.py" "$typed" </dev/null >"$logs/foot.log" \
            2>"$logs/window.log" &
    else
        as_desktop_user env GDK_BACKEND=wayland /usr/bin/python3 "$here/text_window.py" "$typed" </dev/null \
            >"$logs/window.log" 2>&1 &
    fi
    remember_pid $!
    window_up() { grep -qs ready "$logs/window.log" || test -e "$typed.times"; }
    wait_until 100 window_up || { show_logs "$logs"; fail "$desktop: the window did not start"; }
    if [ "$desktop" = gnome ]; then
        as_desktop_user /usr/bin/python3 "$here/keep_keyboard.py" </dev/null >"$logs/keyboard.log" 2>&1 &
        remember_pid $!
        wait_until 100 grep -q "keyboard open" "$logs/keyboard.log" ||
            { show_logs "$logs"; fail "gnome: no virtual keyboard"; }
    fi

    write_one_channel_box "$work"
    printf '[PARAMETER]\nINTERFACE=BOX\nNK=3\n\n[COMPORTS]\nCOM1=./box\n\n[LOG]\nFILE=messung.csv\n' >"$work/TRAVEK.INI"
    printf '1\t1\t{TAB};\n2\t1\t@@2[3]4\\5~6|7\xb58\xb29\xb30\x80}1{;{ENTER};\n' >"$work/ablauf.abl"
    printf '2\n@@|~\xe4\xf6\xfc\xdf\x80^ax;{ENTER};\n' >"$work/ablauf.pst"
    printf '%s\n' "${values[@]}" >"$work/values.txt"
    [ ${#as_user[@]} -eq 0 ] || chown -R 65534:65534 "$work"
    mkfifo "$work/trigger"
    exec 5<>"$work/trigger"
    (cd "$work" && exec "${as_user[@]}" "$sim" --link "$work/box" --values values.txt BOX.VAL <"$work/trigger" \
        >"$logs/sim.out" 2>"$logs/sim.log") &
    remember_pid $!
    wait_until 100 test -L "$work/box" || { show_logs "$logs"; fail "$desktop: the simulator did not make its link"; }

    (cd "$work" && exec "${as_user[@]}" "${session_env[@]}" QT_QPA_PLATFORM=offscreen "$travek" --keyboard=portal \
        </dev/null >"$logs/travek.log" 2>&1) &
    local travek_pid=$!
    remember_pid "$travek_pid"
    if [ "$desktop" = gnome ]; then
        # Debian 12's portal (RemoteDesktop version 1) gives no restore token: GNOME asks every time.
        as_desktop_user /usr/bin/python3 "$here/grant_permission.py" 30 >"$logs/grant.log" 2>&1 ||
            { show_logs "$logs"; fail "gnome: the permission dialog was not granted"; }
    fi
    wait_until 300 grep -q 'channel 1 on' "$logs/sim.log" || { show_logs "$logs"; fail "$desktop: TRAVEK did not start"; }
    sleep 0.5

    local i want
    for ((i = 1; i <= rounds; i++)); do
        /usr/bin/python3 -c 'import sys, time
t = time.clock_gettime(time.CLOCK_MONOTONIC)
sys.stdout.write("%.6f\n" % t)
sys.stdout.flush()
open(sys.argv[1], "w").write("\n")' "$work/trigger" >>"$work/triggers"
        want="$(expected_text "$i")"
        want_characters="$(printf '%s' "$want" | characters)"
        keys_in() {
            [ "$(cat "$typed" 2>/dev/null)" = "$want" ] || [ "$(characters <"$typed")" -gt "$want_characters" ]
        }
        wait_until 50 keys_in || true
        sleep 0.2 # keys that should not come (a held key repeating) would come now
    done
    local actual
    actual="$(cat "$typed")"
    if [ "$actual" != "$(expected_text "$rounds")" ]; then
        show_logs "$logs"
        printf 'expected:\n%s\ntyped:\n%s\n' "$(expected_text "$rounds")" "$actual" | cat -A >&2
        [ -z "${TRAVEK_DESKTOP_HOLD:-}" ] || { echo "held: $dir" >&2; sleep "$TRAVEK_DESKTOP_HOLD"; }
        fail "$desktop: the window did not receive exactly the keys"
    fi
    kill -0 "$travek_pid" 2>/dev/null || { show_logs "$logs"; fail "$desktop: TRAVEK ended"; }
    if grep -q 'nicht getippt' "$work/messung.csv"; then
        show_logs "$logs"
        fail "$desktop: the log says a value was not typed"
    fi
    echo "PASS: $desktop typed $rounds values and $((rounds / 2)) series strings exactly:"
    printf '%s\n' "$actual" | head -n 4
    # Per line: the first and the last key it made, after the line was sent.
    /usr/bin/python3 - "$work/triggers" "$typed.times" "$desktop" <<'EOF'
import sys
triggers = [float(l) for l in open(sys.argv[1])]
keys = [float(l) for l in open(sys.argv[2])]
first, last = [], []
for i, t in enumerate(triggers):
    end = triggers[i + 1] if i + 1 < len(triggers) else float("inf")
    mine = [k for k in keys if t <= k < end]
    if mine:
        first.append((mine[0] - t) * 1000)
        last.append(((mine[-1] - t) * 1000, len(mine)))
first.sort()
short = sorted(ms for ms, n in last if n < 10)
long = sorted(ms for ms, n in last if n >= 10)
med = lambda xs: xs[len(xs) // 2] if xs else float("nan")
print("[ figures  ] %s portal: line to first key median %.1f ms (max %.1f); to last key: value+Tab median %.1f ms "
      "(max %.1f), value+AltGr string+Enter+series string median %.1f ms (max %.1f); %d lines"
      % (sys.argv[3], med(first), first[-1], med(short), short[-1] if short else float("nan"), med(long),
         long[-1] if long else float("nan"), len(triggers)))
EOF
    # TRAVEK first, with SIGTERM as at the end of a session: it saves its files.
    kill -TERM "$travek_pid" 2>/dev/null || true
    wait_until 50 eval '! kill -0 '"$travek_pid"' 2>/dev/null' || true
    exec 5>&-
    stop_test_processes
    stop_desktop "$run"
    rm -rf "$dir"
}

# Ends what the desktop's buses started (compositor, portals, accessibility bus, settings
# service): the processes that run with this desktop's runtime directory, by their ids.
stop_desktop() { # runtime-dir
    local pass proc pid
    for pass in TERM KILL; do
        for proc in /proc/[0-9]*; do
            pid="${proc#/proc/}"
            [ "$pid" != $$ ] || continue
            if tr '\0' '\n' 2>/dev/null <"$proc/environ" | grep -qx "XDG_RUNTIME_DIR=$1"; then
                kill "-$pass" "$pid" 2>/dev/null || true
            fi
        done
        [ "$pass" = KILL ] || sleep 1
    done
}

ran=0
for desktop in "${desktops[@]}"; do
    if ! installed "$desktop"; then
        # Without IBus the test would pass where GNOME's users see wrong keys.
        if [ "$desktop" = gnome ] && command -v gnome-shell >/dev/null && ! command -v ibus-daemon >/dev/null; then
            fail "gnome-shell is installed without its recommended packages (no ibus); install it as the README says"
        fi
        echo "SKIP: $desktop is not installed"
        continue
    fi
    run_desktop "$desktop"
    ran=$((ran + 1))
done
[ "$ran" -gt 0 ] || exit 77
