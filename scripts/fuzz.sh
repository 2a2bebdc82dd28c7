#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/, with clang) into build-fuzz/ and runs each of them.
#   scripts/fuzz.sh --runs N       N executions per target (what the normal test run does)
#   scripts/fuzz.sh --seconds S    S seconds per target
#   scripts/fuzz.sh ... TARGET...  only the named targets (fuzz_ini, fuzz_receive, ...)
# Each target starts from its seed corpus in fuzz/corpus/<target> plus what earlier runs found
# (build-fuzz/corpus/<target>). A crash, sanitizer report, broken invariant, timeout or memory
# blow-up leaves the input in build-fuzz/artifacts/<target>/ and makes the script fail.
# One process per target, one target at a time: the machine is shared.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${TRAVEK_FUZZ_BUILD:-$root/build-fuzz}"

limit=()
what=""
targets=()
while [ $# -gt 0 ]; do
    case "$1" in
        --runs) limit=(-runs="$2"); what="$2 runs"; shift ;;
        --seconds) limit=(-max_total_time="$2"); what="$2 s"; shift ;;
        -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
        fuzz_*) targets+=("$1") ;;
        *) echo "unknown argument: $1" >&2; exit 2 ;;
    esac
    shift
done
if [ ${#limit[@]} -eq 0 ]; then
    echo "usage: scripts/fuzz.sh --runs N | --seconds S [TARGET...]" >&2
    exit 2
fi
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_ini fuzz_definition fuzz_grid fuzz_series fuzz_tolerance fuzz_receive fuzz_sendkeys fuzz_log fuzz_outbox)
fi

cxx="$(command -v clang++ || command -v clang++-14 || true)"
if [ -z "$cxx" ]; then
    echo "fuzz: clang++ is missing (packages clang, libclang-rt-14-dev)" >&2
    exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null || exit 1
fi
cmake --build "$build" -j2 --target "${targets[@]}" >"$build/build.log" 2>&1 || {
    cat "$build/build.log" >&2
    exit 1
}

# The UBSan options are set by the targets' flags (no recovery); ASan must also catch leaks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

failed=0
printf '%-16s %12s %10s  %s\n' target execs "execs/s" result
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    artifacts="$build/artifacts/$t"
    log="$build/logs/$t.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    started=$(date +%s.%N)
    # New inputs go to the first folder; the seed corpus in the source tree stays as it is.
    "$build/$t" "${limit[@]}" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" "$root/fuzz/corpus/$t" >"$log" 2>&1
    rc=$?
    ended=$(date +%s.%N)
    execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1)
    execs=${execs:-0}
    rate=$(awk -v n="$execs" -v a="$started" -v b="$ended" 'BEGIN { d = b - a; if (d > 0) printf "%d", n / d; else print 0 }')
    if [ $rc -eq 0 ]; then
        result="no findings ($what)"
    else
        failed=1
        found=$(ls -t "$artifacts" 2>/dev/null | head -1)
        result="FINDING (exit $rc): ${found:+$artifacts/$found}, log $log"
    fi
    printf '%-16s %12s %10s  %s\n' "$t" "$execs" "$rate" "$result"
    if [ $rc -ne 0 ]; then
        grep -E 'ERROR: |invariant violated|runtime error|^    #[0-9]+ ' "$log" | head -25 | sed 's/^/    /'
    fi
done
exit $failed
