#!/usr/bin/env bash
# cmake --install puts exactly the program, the simulator, their manual pages, the menu entry, the
# icon, the copyright and the changelog in place.
#   install_test.sh BUILD-DIR
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/helpers.sh"
[ $# -eq 1 ] || fail "usage: $0 BUILD-DIR"
build_dir="$1"

dest="$(mktemp -d "${TMPDIR:-/tmp}/travek-install.XXXXXX")"
trap 'rm -rf "$dest"' EXIT
DESTDIR="$dest" cmake --install "$build_dir" --prefix /usr >"$dest.log" 2>&1 || { cat "$dest.log"; fail "cmake --install failed"; }
rm -f "$dest.log"

expected="usr/bin/travek
usr/bin/travek-report
usr/bin/travek-sim
usr/share/applications/travek.desktop
usr/share/doc/travek/changelog.gz
usr/share/doc/travek/copyright
usr/share/icons/hicolor/scalable/apps/travek.svg
usr/share/man/man1/travek-report.1.gz
usr/share/man/man1/travek-sim.1.gz
usr/share/man/man1/travek.1.gz"
actual="$(cd "$dest" && find . -type f -o -type l | sed 's|^\./||' | sort)"
if [ "$actual" != "$expected" ]; then
    echo "installed:" >&2
    echo "$actual" >&2
    fail "the installed files are not the expected ones"
fi
for program in travek travek-sim travek-report; do
    [ -x "$dest/usr/bin/$program" ] || fail "$program is not executable"
done
# The installed programs run (no library or path from the build tree is missing).
"$dest/usr/bin/travek-sim" --help >/dev/null || fail "the installed travek-sim does not run"
"$dest/usr/bin/travek-report" --help >/dev/null || fail "the installed travek-report does not run"
QT_QPA_PLATFORM=offscreen "$dest/usr/bin/travek" --help >/dev/null || fail "the installed travek does not run"
# The menu entry starts the program that was installed, with the icon that was installed.
grep -q '^Exec=.*\btravek"\?$' "$dest/usr/share/applications/travek.desktop" || fail "the menu entry does not start travek"
grep -qx 'Icon=travek' "$dest/usr/share/applications/travek.desktop" || fail "the menu entry names another icon"
echo "PASS"
