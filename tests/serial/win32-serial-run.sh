#!/bin/sh
# Runs the Windows serial test program under wine with a pty as its COM ports 5 and 42 (short and
# long device name); the pty helper echoes what the program writes.
#   win32-serial-run.sh <win32_serial_tests.exe> <serial_pty_echo>
set -eu
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
helper=$2
WINEPREFIX=$(dirname "$exe")/wineprefix
WINEDEBUG=-all
# No Mono or Gecko installer dialogs when the prefix is created.
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

wine=$(command -v wine64 || true)
if [ -z "$wine" ]; then
    if [ -x /usr/lib/wine/wine64 ]; then wine=/usr/lib/wine/wine64; else wine=wine; fi
fi

# The first run creates the prefix; the lock keeps parallel tests from creating it twice.
mkdir -p "$WINEPREFIX"
flock "$WINEPREFIX/.travek-init.lock" sh -c \
    '[ -f "$WINEPREFIX/system.reg" ] || "$1" wineboot -i >/dev/null 2>&1 || true' sh "$wine"
mkdir -p "$WINEPREFIX/dosdevices"
# Start the prefix's server here, so its diagnostics do not end up in the test's output.
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
"$wineserver" -p3 >/dev/null 2>&1 || true

exec "$helper" "$WINEPREFIX/dosdevices" com5,com42 "$wine" "$exe" 5 42
