#!/usr/bin/env bash
# Runs a Windows test program under wine:  wine-run.sh <program.exe> [arguments...]
# The wine prefix lives beside the program in the build directory (override with WINEPREFIX), so
# the user's own prefix is never touched; the first run creates it, which takes a while. The
# program's exit status is passed on. DISPLAY is dropped so wine runs headless and with its
# built-in US keyboard layout; set TRAVEK_WINE_DISPLAY=1 to keep it.
set -euo pipefail
if [ $# -lt 1 ]; then
    echo "usage: $0 <program.exe> [arguments...]" >&2
    exit 2
fi
exe="$1"
shift
if [ ! -f "$exe" ]; then
    echo "wine-run: $exe does not exist" >&2
    exit 2
fi
export WINEPREFIX="${WINEPREFIX:-$(cd "$(dirname "$exe")" && pwd)/wineprefix}"
export WINEDEBUG=-all
# No prompts to install Mono or Gecko when the prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
[ -n "${TRAVEK_WINE_DISPLAY:-}" ] || unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$WINEPREFIX"

wine=""
for candidate in wine64 /usr/lib/wine/wine64 wine; do
    if command -v "$candidate" >/dev/null 2>&1; then
        wine="$candidate"
        break
    fi
done
if [ -z "$wine" ]; then
    echo "wine-run: wine64 is not installed" >&2
    exit 2
fi
exec "$wine" "$exe" "$@"
