#!/usr/bin/env bash
# Runs a Windows test program under wine on a private Xvfb, for tests that need windows (wine
# without a display makes none):
#   wine-xvfb-run.sh --prefix DIR <program.exe> [arguments...]
# The prefix is the caller's own: a prefix's desktop keeps the display it was first started with.
# Exit status: the program's; 77 when Xvfb or wine cannot start here.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
wine_run="$here/../../platform/win32/wine-run.sh"
[ "${1:-}" = --prefix ] && [ $# -ge 3 ] || { echo "usage: $0 --prefix DIR <program.exe> [arguments...]" >&2; exit 2; }
prefix=$2
shift 2
command -v Xvfb >/dev/null || { echo "wine-xvfb-run: Xvfb is not installed: skipped"; exit 77; }
xvfb=""
cleanup() {
    WINEPREFIX="$prefix" "$(command -v wineserver || echo /usr/lib/wine/wineserver)" -k 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
display=""
for n in $(seq 121 160); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -noreset -screen 0 1024x768x24 >/dev/null 2>&1 &
    xvfb=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && { display=":$n"; break; }
        kill -0 "$xvfb" 2>/dev/null || break
        sleep 0.1
    done
    [ -n "$display" ] && break
    kill "$xvfb" 2>/dev/null
    xvfb=""
done
[ -n "$display" ] || { echo "wine-xvfb-run: Xvfb does not start: skipped"; exit 77; }
export DISPLAY=$display TRAVEK_WINE_DISPLAY=1
"$wine_run" --prefix "$prefix" --prepare || { echo "wine-xvfb-run: wine does not start: skipped"; exit 77; }
"$wine_run" --prefix "$prefix" "$@"
