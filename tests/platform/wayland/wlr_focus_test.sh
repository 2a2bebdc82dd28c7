#!/usr/bin/env bash
# The focused window of a headless sway, as the wlroots toplevel list tells it: two foot windows of
# different app ids, the focus moved between them with swaymsg, and one of them closed. sway
# refuses to run as root, so under root it runs as nobody with a runtime directory of its own;
# root may connect to its socket. Status 77 means skipped (sway cannot start here, outside CI).
#   wlr_focus_test.sh WLR_FOCUS_PROBE
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/../../e2e/helpers.sh"
[ $# -eq 1 ] || fail "usage: $0 WLR_FOCUS_PROBE"
probe="$(realpath "$1")"

for tool in sway foot swaymsg; do
    command -v "$tool" >/dev/null || skip_or_fail "$tool is not installed"
done

dir="$(mktemp -d "${TMPDIR:-/tmp}/travek-wlr-focus.XXXXXX")"
chmod 755 "$dir"
finish() {
    exec 6>&- 7<&- 2>/dev/null || true
    stop_test_processes
    rm -rf "$dir"
}
trap finish EXIT

: >"$dir/sway.conf"
start_headless_sway "$dir" "$dir/sway.conf"

focus() { # criteria
    swaymsg -s "$ipc" "$1 focus" >/dev/null 2>&1
}
window() { # app id, title
    foot --app-id="$1" --title="$2" sh -c 'exec sleep 600' </dev/null >"$dir/foot-$1.log" 2>&1 &
    remember_pid $!
    wait_until 100 focus "[app_id=\"$1\"]" || { show_logs "$dir"; fail "foot $1 did not come up"; }
}
window messung "Los 7 - Messung"
window mail "Posteingang"
mail_pid="${test_pids[-1]}"

coproc PROBE { exec "$probe" own-app 2>"$dir/probe.log"; }
exec 6>&"${PROBE[1]}" 7<&"${PROBE[0]}"
remember_pid "$PROBE_PID"
read -r -t 10 answer <&7 || answer="no answer"
[ "$answer" = ready ] || { show_logs "$dir"; fail "the probe did not start: $answer"; }
ask() { # expected answer
    local answer=""
    echo >&6
    read -r -t 10 answer <&7 || answer="no answer"
    [ "$answer" = "$1" ] || { show_logs "$dir"; fail "expected '$1', the probe said '$answer'"; }
    echo "PASS: $answer"
}

ask "focused mail|Posteingang|0"
focus '[app_id="messung"]'
ask "focused messung|Los 7 - Messung|0"
focus '[app_id="mail"]'
ask "focused mail|Posteingang|0"
# The focused window closes: its toplevel goes, and the other one is focused.
kill "$mail_pid"
wait_until 50 eval "! kill -0 $mail_pid 2>/dev/null" || true
wait_until 50 focus '[app_id="messung"]' || true
ask "focused messung|Los 7 - Messung|0"
# A window of TRAVEK's own app id is known as its own.
window own-app "TRAVEK"
ask "focused own-app|TRAVEK|1"
