#!/usr/bin/env bash
# The publishing figures of bench/README.md, against Debian's mosquitto on 127.0.0.1 in a network
# namespace of the run's own:
#   1. CR -> value complete, TRAVEK (--keyboard=x11) typing into bench_e2e_typing's window on a
#      private Xvfb, with the measurement log on, without and with publishing each row;
#   2. catching up N records that waited (bench_publish).
#   bench/publish.sh [BUILD_DIR] [ROUNDS] [VALUES] [RECORDS]
set -euo pipefail
if [ -z "${TRAVEK_NETNS:-}" ]; then
    TRAVEK_NETNS=1 exec unshare --net -- "$0" "$@"
fi
ip link set lo up
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-3}
values=${3:-80}
records=${4:-10000}
work=$(mktemp -d /tmp/travek-bench-publish.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
printf 'listener 1883 127.0.0.1\nallow_anonymous true\nuser %s\n' "$(id -un)" >"$work/broker.conf"
mosquitto -c "$work/broker.conf" >"$work/broker.log" 2>&1 &
pids+=($!)
sleep 0.5
unset DISPLAY
for n in $(seq 170 200); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -nolisten tcp -screen 0 1024x768x24 >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; break; }
done
[ -n "${DISPLAY:-}" ] || { echo "no Xvfb" >&2; exit 1; }

cp "$root/examples/demo/DEMO.VAL" "$work/"
printf '1\t1\t{TAB};\n' >"$work/ablauf.abl"
printf '0\n\n' >"$work/ablauf.pst"
for round in $(seq "$rounds"); do
    for mode in off on; do
        printf '[PARAMETER]\nINTERFACE=DEMO\nNK=3\n\n[COMPORTS]\nCOM1=%s/box\n\n[LOG]\nFILE=messung.csv\nSTATION=S1\n' \
            "$work" >"$work/TRAVEK.INI"
        [ "$mode" = on ] && printf '\n[MQTT]\nHOST=127.0.0.1\n' >>"$work/TRAVEK.INI"
        echo "== round $round: publishing $mode"
        (cd "$work" && "$build/bench/bench_e2e_typing" --values "$values" "$work/box" -- \
            "$build/src/gui/qt/travek" --keyboard=x11) 2> >(grep -v "^QStandardPaths" >&2)
    done
done
echo "== catching up"
"$build/bench/bench_publish" 1883 "$records"
