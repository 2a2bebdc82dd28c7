#!/usr/bin/env bash
# The end-to-end typing figure of bench/README.md: TRAVEK (--keyboard=x11) and the minimal wedge on
# one private Xvfb, in turns, each typing N values into bench_e2e_typing's window. A round runs the
# wedge before each of three TRAVEK runs: with Qt's xcb platform (its window on the same server),
# with the offscreen platform, and with the xcb platform and bench_e2e_typing's window as its target
# window (the focus asked before every key press). Each TRAVEK run is compared with the wedge run
# just before it; the end gives, for each, min, median and max over the rounds of its medians and
# of its ratios to the wedge.
#   bench/e2e_typing.sh [BUILD_DIR] [ROUNDS] [VALUES] [VALUE]
# VALUE is the value typed (12,345 unless given; TRAVEK types it with three decimals).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
rounds=${2:-3}
values=${3:-80}
value=${4:-12,345}
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

# TRAVEK's working folders: one step, channel 1, its value followed by a Tab; COM1 is the link. The
# second one has bench_e2e_typing's window as its target.
mkdir "$work/plain" "$work/target"
for folder in plain target; do
    cp "$root/examples/demo/DEMO.VAL" "$work/$folder/"
    printf '[PARAMETER]\nINTERFACE=DEMO\nNK=3\n\n[COMPORTS]\nCOM1=%s/box\n' "$work" >"$work/$folder/TRAVEK.INI"
    printf '1\t1\t{TAB};\n' >"$work/$folder/ablauf.abl"
    printf '0\n\n' >"$work/$folder/ablauf.pst"
done
printf '\n[TARGET]\nPROGRAM="bench_e2e_typing"\nCLASS="BenchTyping"\nTITLE=""\nMATCHTITLE=0\n' >>"$work/target/TRAVEK.INI"

# Runs one turn; its medians go to $work/NAME.first and $work/NAME.complete, one line a round.
turn() { # name folder-or-empty command...
    local name="$1" folder="$2" out
    shift 2
    out="$work/$name.out"
    if [ -z "$folder" ]; then
        "$build/bench/bench_e2e_typing" --values "$values" --value "$value" --ready-text R "$work/box" -- "$@" >"$out"
    else
        (cd "$work/$folder" && "$build/bench/bench_e2e_typing" --values "$values" --value "$value" "$work/box" -- "$@") \
            >"$out" 2> >(grep -v -e "^QStandardPaths" -e "propagateSizeHints" >&2)
    fi
    sed -n 's/^CR -> first key: median \([0-9]*\) us.*/\1/p' "$out" >>"$work/$name.first"
    sed -n 's/^CR -> value complete (Tab): median \([0-9]*\) us.*/\1/p' "$out" >>"$work/$name.complete"
    printf '%-17s first key %5s us, value complete %5s us (medians), presses in their release'"'"'s ms: %s\n' \
        "$name" "$(tail -n 1 "$work/$name.first")" "$(tail -n 1 "$work/$name.complete")" \
        "$(sed -n "s/^presses in their release's millisecond: //p" "$out")"
}

# Each TRAVEK turn's ratio to the wedge turn before it.
ratio() { # name
    local wedge travek
    for figure in first complete; do
        wedge=$(tail -n 1 "$work/wedge.$figure")
        travek=$(tail -n 1 "$work/$1.$figure")
        awk -v a="$travek" -v b="$wedge" 'BEGIN { printf "%.2f\n", a / b }' >>"$work/$1.$figure-ratio"
    done
}

# min, median and max of the numbers in a file
spread() { # file
    sort -g "$1" | awk '{ v[NR] = $1 } END { printf "%s / %s / %s", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

travek="$build/src/gui/qt/travek"
for round in $(seq "$rounds"); do
    echo "== round $round"
    turn wedge "" "$build/bench/min_wedge" "$work/box" 6
    QT_QPA_PLATFORM=xcb turn travek-xcb plain "$travek" --keyboard=x11
    ratio travek-xcb
    turn wedge "" "$build/bench/min_wedge" "$work/box" 6
    QT_QPA_PLATFORM=offscreen turn travek-offscreen plain "$travek" --keyboard=x11
    ratio travek-offscreen
    turn wedge "" "$build/bench/min_wedge" "$work/box" 6
    QT_QPA_PLATFORM=xcb turn travek-target target "$travek" --keyboard=x11
    ratio travek-target
done

echo "== $rounds rounds of $values values, medians in us and ratios to the wedge turn before, min / median / max"
printf '%-17s %-32s %-32s\n' "" "CR -> first key" "CR -> value complete"
printf '%-17s %-32s %-32s\n' "wedge" "$(spread "$work/wedge.first")" "$(spread "$work/wedge.complete")"
for name in travek-xcb travek-offscreen travek-target; do
    printf '%-17s %-32s %-32s\n' "$name" "$(spread "$work/$name.first")" "$(spread "$work/$name.complete")"
    printf '%-17s %-32s %-32s\n' "  ratio" "$(spread "$work/$name.first-ratio")" \
        "$(spread "$work/$name.complete-ratio")"
done
