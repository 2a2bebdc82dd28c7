#!/usr/bin/env bash
# travek's command line as a terminal user meets it, with no display of any kind (where creating
# the application would abort): --help and --version answer and exit 0, a wrong argument exits 2
# with the usage on standard error, and Qt's own options are left to Qt.
#   command_line_test.sh TRAVEK VERSION
set -euo pipefail
# shellcheck source=tests/e2e/helpers.sh
source "$(dirname "$0")/../../e2e/helpers.sh"
[ $# -eq 2 ] || fail "usage: $0 TRAVEK VERSION"
travek="$1"
version="$2"
out="$(mktemp -d "${TMPDIR:-/tmp}/travek-command-line.XXXXXX")"
trap 'rm -rf "$out"' EXIT

expect_exit() { # status arguments...
    local expected="$1" status=0
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u QT_QPA_PLATFORM "$travek" "$@" \
        >"$out/stdout" 2>"$out/stderr" </dev/null || status=$?
    [ "$status" -eq "$expected" ] || { cat "$out/stderr" >&2; fail "travek $* exited with $status, not $expected"; }
}

expect_exit 0 --help
grep -q '^Usage: travek ' "$out/stdout" || fail "--help printed no usage"
# A session manager restarts the program with Qt's -session.
expect_exit 0 --keyboard=log -session 1a2b3c --version
[ "$(head -n 1 "$out/stdout")" = "travek $version" ] || fail "--version printed: $(cat "$out/stdout")"
expect_exit 2 --keyboard=log --verison
[ ! -s "$out/stdout" ] || fail "a wrong argument printed on standard output"
if ! grep -q "unknown argument '--verison'" "$out/stderr" || ! grep -q '^Usage: travek ' "$out/stderr"; then
    fail "a wrong argument did not print the reason and the usage on standard error"
fi
echo "PASS"
