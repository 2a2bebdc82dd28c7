#!/bin/sh
# Runs the Windows serial test with real bytes: the Linux helper serial_pty_echo links one pty as
# COM5 and COM42 (short and long device name) of the wine prefix, runs the program under wine and
# echoes every byte it writes.
#   win32-serial-run.sh --prefix DIR <serial_pty_echo> <program.exe> [arguments...]
# The helper is a Linux program, built by the Linux build (tests/platform/win32/host) and handed to
# the Windows build as TRAVEK_PTY_ECHO; without it the test is skipped (exit status 77).
set -eu
if [ $# -lt 4 ] || [ "$1" != --prefix ]; then
    echo "usage: $0 --prefix DIR <serial_pty_echo> <program.exe> [arguments...]" >&2
    exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
prefix=$2
helper=$3
shift 3
if [ -z "$helper" ] || [ ! -x "$helper" ]; then
    echo "win32-serial-run: no pty helper (TRAVEK_PTY_ECHO='$helper'): the serial test on a pty is skipped"
    exit 77
fi
# The helper links the ports into the prefix's dosdevices, so the prefix must exist before.
"$here/wine-run.sh" --prefix "$prefix" --prepare
TRAVEK_ECHO_COM_PORTS=5,42
export TRAVEK_ECHO_COM_PORTS
exec "$helper" "$prefix/dosdevices" com5,com42 "$here/wine-run.sh" --prefix "$prefix" "$@"
