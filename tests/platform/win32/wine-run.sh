#!/usr/bin/env bash
# Runs a Windows program under wine (ctest's emulator for the Windows build):
#   wine-run.sh [--prefix DIR] <program.exe> [arguments...]
#   wine-run.sh [--prefix DIR] --prepare       only creates the prefix and starts its server
# The wine prefix is DIR (the build directory's, as ctest passes it), else one beside the program,
# so the user's own prefix is never touched. The first run creates it, which takes about ten
# seconds. The program's exit status is passed on. DISPLAY is dropped so wine runs headless and
# with its built-in US keyboard layout; set TRAVEK_WINE_DISPLAY=1 to keep it.
set -euo pipefail
usage() {
    echo "usage: $0 [--prefix DIR] <program.exe> [arguments...] | [--prefix DIR] --prepare" >&2
    exit 2
}
prefix=""
prepare=0
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) [ $# -ge 2 ] || usage; prefix="$2"; shift 2 ;;
        --prepare) prepare=1; shift ;;
        *) break ;;
    esac
done
exe=""
if [ "$prepare" = 0 ]; then
    [ $# -ge 1 ] || usage
    exe="$1"
    shift
    if [ ! -f "$exe" ]; then
        echo "wine-run: $exe does not exist" >&2
        exit 2
    fi
    [ -n "$prefix" ] || prefix="$(dirname "$exe")/wineprefix"
fi
[ -n "$prefix" ] || usage
mkdir -p "$prefix"
WINEPREFIX="$(cd "$prefix" && pwd)"
export WINEPREFIX
export WINEDEBUG=-all
# No prompts to install Mono or Gecko when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -n "${TRAVEK_WINE_DISPLAY:-}" ] || unset DISPLAY WAYLAND_DISPLAY

wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then
        wine="$(command -v "$candidate")"
        break
    fi
done
if [ -z "$wine" ]; then
    echo "wine-run: wine64 is not installed" >&2
    exit 2
fi
wineserver="$(command -v wineserver || echo /usr/lib/wine/wineserver)"

# The prefix's server and the background processes of its session (services, device drivers)
# are started here, detached from our output: started by the program they would inherit its
# output and hold it open for seconds after the program has ended (ctest waits for that), and
# write their diagnostics into it. The server stays three seconds after its last client. The lock
# also makes runs started meanwhile wait for the prefix rather than create it a second time; the
# processes started under it do not inherit it, or it would be held as long as they live.
(
    flock 9
    "$wineserver" -p3 </dev/null >/dev/null 2>&1 9>&- || true # already running: fine
    if [ ! -f "$WINEPREFIX/.travek-ready" ]; then
        if ! "$wine" wineboot -i </dev/null >/dev/null 2>&1 9>&-; then
            echo "wine-run: wineboot could not set up the prefix $WINEPREFIX" >&2
            exit 2
        fi
        touch "$WINEPREFIX/.travek-ready"
    fi
    "$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- || true
) 9>"$WINEPREFIX/.travek-lock"

[ "$prepare" = 0 ] || exit 0
exec "$wine" "$exe" "$@"
