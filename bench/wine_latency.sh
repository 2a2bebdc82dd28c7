#!/usr/bin/env bash
# CR -> first key of travek.exe under wine, for information only (wine is not Windows): the
# end-to-end test of the Win32 program (tests/gui/win32/travek-e2e.sh) with N values a quarter
# second apart. Each value's time starts when the request goes to the gauge-box simulator, which
# writes the line at once, and ends at the first change of the target window's text (the wall clock
# of both sides). Needs the Windows build and the simulator of the Linux build.
#   bench/wine_latency.sh [N]        (default 40)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
n=${1:-40}
log=$(mktemp /tmp/travek-wine-latency.XXXXXX)
trap 'rm -f "$log"' EXIT
"$root/tests/gui/win32/travek-e2e.sh" --prefix "$root/build-windows/wineprefix-gui" \
    --sim "$root/build/tools/sim/travek-sim" --travek "$root/build-windows/src/gui/win32/travek.exe" \
    --target "$root/build-windows/tests/gui/win32/travek_typing_target.exe" \
    --definition "$root/examples/demo/DEMO.VAL" --requests "$n" --log "$log" >/dev/null
# For every request, the first change after it, in microseconds, sorted.
awk '
    $1 == "request" { requests[++r] = $2 }
    $1 == "change" { changes[++c] = $2 }
    END {
        j = 1
        for (i = 1; i <= r; ++i) {
            while (j <= c && changes[j] < requests[i]) ++j
            if (j <= c) printf "%.0f\n", (changes[j] - requests[i]) / 1000
        }
    }' "$log" | sort -n >"$log.sorted"
m=$(wc -l <"$log.sorted")
at() { sed -n "${1}p" "$log.sorted"; }
echo "values $m of $n, CR -> first key: median $(at $(((m + 1) / 2))) us, p90 $(at $(((m * 9 + 5) / 10))) us," \
    "min $(at 1) us, max $(at "$m") us"
rm -f "$log.sorted"
