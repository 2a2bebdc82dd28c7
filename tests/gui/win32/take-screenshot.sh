#!/usr/bin/env bash
# Takes the screenshot of the Windows main window for the documentation: travek.exe under wine on
# a private Xvfb, in a wine virtual desktop (which draws the window frame and caption that a
# window manager would), reading two values from the simulated gauge box.
#   take-screenshot.sh <build-windows> <travek-sim> <output.png>
set -euo pipefail
build=$(cd "$1" && pwd)
sim=$2
out=$3
source_dir=$(cd "$(dirname "$0")/../../.." && pwd)
wine_run="$source_dir/tests/platform/win32/wine-run.sh"
prefix="$build/wineprefix-shot"
work=$(mktemp -d /tmp/travek-shot.XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

n=$(for n in $(seq 130 160); do [ -e "/tmp/.X11-unix/X$n" ] || { echo "$n"; break; }; done)
Xvfb ":$n" -noreset -screen 0 800x600x24 >/dev/null 2>&1 &
pids+=($!)
sleep 1
export DISPLAY=":$n" TRAVEK_WINE_DISPLAY=1
"$wine_run" --prefix "$prefix" --prepare

mkdir "$work/run"
cp "$source_dir/examples/demo/DEMO.VAL" "$source_dir/examples/demo/ablauf.abl" "$source_dir/examples/demo/ablauf.pst" "$work/run/"
printf '[PARAMETER]\r\nINTERFACE=DEMO\r\nNK=3\r\n' >"$work/run/TRAVEK.INI"
printf '12.345\n6.789\n' >"$work/values"
mkfifo "$work/requests"
"$sim" --link "$prefix/dosdevices/com1" --values "$work/values" "$work/run/DEMO.VAL" <"$work/requests" \
    >"$work/sim.out" 2>"$work/sim.err" &
pids+=($!)
exec 8>"$work/requests"
sleep 1
(cd "$work/run" && exec "$wine_run" --prefix "$prefix" /usr/lib/wine/wine64 explorer /desktop=travek,480x360 \
    "Z:${build//\//\\}\\src\\gui\\win32\\travek.exe" --keyboard=log) >"$work/travek.out" 2>&1 &
pids+=($!)
for _ in $(seq 300); do grep -q 'command "E4"' "$work/sim.err" && break; sleep 0.1; done
echo 1 >&8
echo 2 >&8
sleep 2
import -window root -crop 480x360+0+0 "$out" 2>/dev/null || import -window root "$out"
echo "screenshot: $out"
