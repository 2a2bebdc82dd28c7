#!/usr/bin/env bash
# The end-to-end typing figure of bench/README.md: TRAVEK (--keyboard=x11) and the minimal wedge
# side by side, on one private Xvfb, in turns, each typing N values into bench_e2e_typing's window.
#   bench/e2e_typing.sh [BUILD_DIR] [ROUNDS] [VALUES]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-3}
values=${3:-80}
work=$(mktemp -d /tmp/travek-e2e-typing.XXXXXX)
xvfb=""
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
for n in $(seq 170 200); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; break; }
    kill "$xvfb"; xvfb=""
done
[ -n "$xvfb" ] || { echo "no Xvfb" >&2; exit 1; }

# TRAVEK's working folder: one step, channel 1, its value followed by a Tab; COM1 is the link.
cp "$root/examples/demo/DEMO.VAL" "$work/"
printf '[PARAMETER]\nINTERFACE=DEMO\nNK=3\n\n[COMPORTS]\nCOM1=%s/box\n' "$work" >"$work/TRAVEK.INI"
printf '1\t1\t{TAB};\n' >"$work/ablauf.abl"
printf '0\n\n' >"$work/ablauf.pst"

for round in $(seq "$rounds"); do
    echo "== round $round: minimal wedge"
    "$build/bench/bench_e2e_typing" --values "$values" --ready-text R "$work/box" -- \
        "$build/bench/min_wedge" "$work/box" 6
    echo "== round $round: TRAVEK"
    (cd "$work" && "$build/bench/bench_e2e_typing" --values "$values" "$work/box" -- \
        "$build/src/gui/qt/travek" --keyboard=x11) 2> >(grep -v "^QStandardPaths" >&2)
done
