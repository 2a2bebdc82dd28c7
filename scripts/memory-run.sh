#!/usr/bin/env bash
# Memory of TRAVEK under a long stream of measurements: the real executable, typing into a log,
# fed through a pty that stands in for the measuring box.
#
#   scripts/memory-run.sh [--lines N] [--valgrind-lines M] [--travek PATH]
#
# 1. Without valgrind: N lines (default 1,000,000). Prints the resident memory (VmRSS) and its
#    peak (VmHWM) at rest after the start-up and after every tenth of the run.
# 2. Under valgrind memcheck (skipped with --valgrind-lines 0): M lines (default 100,000; valgrind
#    runs the program about 50 times slower), ended by SIGTERM so the program saves and exits as
#    usual. Prints the leak summary; fails when anything is definitely or indirectly lost.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
lines=1000000
vg_lines=100000
travek="$root/build/src/gui/qt/travek"
while [ $# -gt 0 ]; do
    case "$1" in
        --lines) lines="$2"; shift ;;
        --valgrind-lines) vg_lines="$2"; shift ;;
        --travek) travek="$2"; shift ;;
        *) echo "unknown argument $1" >&2; exit 2 ;;
    esac
    shift
done
travek="$(realpath "$travek" 2>/dev/null || echo "$travek")"
[ -x "$travek" ] || { echo "no executable at $travek (build first, or pass --travek)" >&2; exit 2; }

work="$(mktemp -d /tmp/travek-memory-XXXXXX)"
trap 'rm -rf "$work"' EXIT

run() { # run LINES [valgrind args...]
    python3 - "$travek" "$work" "$@" <<'EOF'
import os, pty, signal, subprocess, sys, time, tty

travek, work, lines = sys.argv[1], sys.argv[2], int(sys.argv[3])
wrapper = sys.argv[4:]
valgrind = bool(wrapper)
slowness = 60 if valgrind else 1

master, slave = pty.openpty()
slave_path = os.ttyname(slave)
# The slave stays open here too: with no slave open at all, reading the master fails.
run_dir = os.path.join(work, "valgrind" if valgrind else "plain")
os.makedirs(run_dir, exist_ok=True)
def write(name, text):
    with open(os.path.join(run_dir, name), "w", newline="") as f:
        f.write(text)
write("TRAVEK.INI", "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=2\r\n\r\n[COMPORTS]\r\nCOM1=%s\r\n" % slave_path)
write("BOX.VAL", "[PARAMETER]\r\nCOMx=1\r\nCNTCH=4\r\nSTARTPOS=4\r\nENDPOS=12\r\n"
                 "MW_SIGN1=A:\r\nMW_SIGN3=C:\r\nMWI_SIGN1=E1\r\nMWI_SIGN3=E3\r\n")
write("ablauf.abl", "1\t1\t{TAB};\r\n2\t3\t{ENTER};\r\n")
log_path = os.path.join(run_dir, "typed.log")
env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
with open(log_path, "wb") as log, open(os.path.join(run_dir, "stderr.log"), "wb") as err:
    proc = subprocess.Popen(wrapper + [travek, "--keyboard=log"], cwd=run_dir, env=env, stdout=log, stderr=err)

def status():
    fields = {}
    with open("/proc/%d/status" % proc.pid) as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return fields["VmRSS"], fields["VmHWM"]

def wait_for(predicate, seconds, what):
    end = time.time() + seconds
    while not predicate():
        if proc.poll() is not None:
            sys.exit("travek ended early (%s): status %s" % (what, proc.returncode))
        if time.time() > end:
            proc.kill()
            sys.exit("timed out waiting for " + what)
        time.sleep(0.05)

# Active: the box has got its channel commands.
received = b""
def activated():
    global received
    import select
    if select.select([master], [], [], 0)[0]:
        received += os.read(master, 100)
    return received.count(b"\r") >= 3
wait_for(activated, 30 * slowness, "the activation commands")
time.sleep(0.5)
if not valgrind:
    rss, hwm = status()
    print("at rest after start-up: VmRSS %s, VmHWM %s" % (rss, hwm))

# Each line gives two typed texts of 11 bytes each in the log ("keys dd,dd" and "keys {TAB}" or
# "keys {ENTER}" alternately: 11 or 13 bytes), so the log size tells how far the program is.
def line(i):
    channel = "A:" if i % 2 == 0 else "C:"
    value = 1000 + i % 9000
    return "%s %d,%02d\r\n" % (channel, value // 100, value % 100)
def log_size(done):
    return done // 2 * (22 + 24) + (done % 2) * 22

stages = 10
done = 0
started = time.time()
for stage in range(1, stages + 1):
    target = lines * stage // stages
    block = "".join(line(i) for i in range(done, target)).encode()
    view = memoryview(block)
    while view:
        try:
            n = os.write(master, view[:65536])
            view = view[n:]
        except BlockingIOError:
            time.sleep(0.001)
    done = target
    wait_for(lambda: os.path.getsize(log_path) >= log_size(done), 120 * slowness, "%d lines typed" % done)
    if not valgrind:
        rss, hwm = status()
        print("after %8d lines: VmRSS %s, VmHWM %s" % (done, rss, hwm))
elapsed = time.time() - started
print("%d lines in %.1f s (%.0f lines/s)" % (lines, elapsed, lines / elapsed))
if os.path.getsize(log_path) != log_size(lines):
    sys.exit("log has %d bytes, expected %d" % (os.path.getsize(log_path), log_size(lines)))

proc.send_signal(signal.SIGTERM)
try:
    proc.wait(timeout=60 * slowness)
except subprocess.TimeoutExpired:
    proc.kill()
    sys.exit("travek did not end after SIGTERM")
print("exit status %d" % proc.returncode)
EOF
}

echo "== $lines lines without valgrind"
run "$lines"

if [ "$vg_lines" -gt 0 ]; then
    command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }
    echo "== $vg_lines lines under valgrind memcheck"
    run "$vg_lines" valgrind --leak-check=full --show-leak-kinds=definite,indirect \
        --log-file="$work/valgrind.log" --num-callers=30
    grep -E "definitely lost|indirectly lost|possibly lost|still reachable|ERROR SUMMARY" "$work/valgrind.log" |
        sed 's/^==[0-9]*== *//'
    if grep -qE "(definitely|indirectly) lost: [1-9]" "$work/valgrind.log"; then
        cp "$work/valgrind.log" /tmp/travek-valgrind.log
        echo "LEAKS FOUND; the whole report is in /tmp/travek-valgrind.log" >&2
        exit 1
    fi
    echo "no leaks"
fi
