#!/usr/bin/env bash
# The NSIS installer under wine, as a user installs it: it must show TRAVEK's licence, install the
# licence and the runtime's notices with the program, start TRAVEK in a folder the user can write
# (Documents\TRAVEK, with the example definition), keep the user's files there on a second
# installation, and leave them when the program is uninstalled.
#   installer-test.sh --build DIR     DIR: the Windows build directory (its CPackConfig.cmake)
# Exit status 0 when it all worked, 77 when wine or makensis is missing, 1 otherwise.
set -uo pipefail
build=""
while [ $# -gt 0 ]; do
    case "$1" in
        --build) build=$2; shift 2 ;;
        *) echo "installer-test: unknown argument $1" >&2; exit 2 ;;
    esac
done
command -v makensis >/dev/null || { echo "installer-test: makensis is not installed: skipped"; exit 77; }
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
[ -x "$wine" ] || { echo "installer-test: wine64 is not installed: skipped"; exit 77; }
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)

work=$(mktemp -d /tmp/travek-installer.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# wine links the user's Documents to the home folder: a private one.
export HOME=$work/home
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "$HOME"
cleanup() {
    "$wineserver" -k 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "installer-test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work/cpack" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack could not make the installer"; }
installer=$(ls "$build"/packages/travek-*-win64.exe | head -1)
[ -f "$installer" ] || fail "no installer in $build/packages"
# Its licence page shows TRAVEK's licence, not CPack's placeholder.
grep -q '^ *!insertmacro MUI_PAGE_LICENSE ".*/LICENSE"$' "$work/cpack/_CPack_Packages/win64/NSIS/project.nsi" ||
    fail "the installer shows no page with TRAVEK's licence"
"$wine" wineboot -i >/dev/null 2>&1 || { echo "installer-test: wine does not start: skipped"; exit 77; }

"$wine" "$installer" /S >/dev/null 2>&1 || fail "the installer failed"
documents=$(readlink -f "$WINEPREFIX/drive_c/users/$(id -un)/Documents")
folder="$documents/TRAVEK"
[ -f "$folder/DEMO.VAL" ] || fail "no DEMO.VAL in the working folder $folder"
# The first start is ready to measure with DEMO, not with a default that is not there.
tr -d '\r' <"$folder/TRAVEK.INI" | grep -qx 'INTERFACE=DEMO' || fail "no TRAVEK.INI choosing DEMO in $folder"
# The README reads as lines in every Notepad (the zip is packed from the same files).
head -1 "$WINEPREFIX/drive_c/Program Files/TRAVEK/README.txt" | grep -q $'\r$' ||
    fail "README.txt has no CRLF line ends"
for notice in LICENSE.txt THIRD-PARTY.txt; do
    [ -f "$WINEPREFIX/drive_c/Program Files/TRAVEK/$notice" ] || fail "no $notice beside travek.exe"
done
link=$(find "$WINEPREFIX/drive_c/users" -name TRAVEK.lnk | head -1)
[ -n "$link" ] || fail "no Start-menu entry TRAVEK.lnk for the user"
# The shortcut's "Start in" is the working folder, not the installation folder.
strings -el "$link" | grep -qx 'C:\\users\\.*\\Documents\\TRAVEK' || { strings -el "$link"; fail "the entry does not start in Documents\\TRAVEK"; }

# A second installation keeps the user's own definition and settings.
echo "mine" >"$folder/DEMO.VAL"
printf '[PARAMETER]\r\nINTERFACE=MINE\r\n' >"$folder/TRAVEK.INI"
"$wine" "$installer" /S >/dev/null 2>&1 || fail "the second installation failed"
[ "$(cat "$folder/DEMO.VAL")" = "mine" ] || fail "the second installation replaced the user's DEMO.VAL"
grep -q 'INTERFACE=MINE' "$folder/TRAVEK.INI" || fail "the second installation replaced the user's TRAVEK.INI"

# Uninstalling removes the program and the entry, never the user's folder. The uninstaller copies
# itself away and returns at once: wait for it.
"$wine" "C:\\Program Files\\TRAVEK\\Uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 100); do
    [ -e "$WINEPREFIX/drive_c/Program Files/TRAVEK/travek.exe" ] || break
    sleep 0.1
done
"$wineserver" -w
[ -e "$WINEPREFIX/drive_c/Program Files/TRAVEK/travek.exe" ] && fail "the uninstaller left travek.exe"
[ -e "$link" ] && fail "the uninstaller left the Start-menu entry"
[ "$(cat "$folder/DEMO.VAL" 2>/dev/null)" = "mine" ] || fail "the uninstaller removed the user's files"
echo "installer-test: installed, reinstalled and uninstalled as expected"
