#!/usr/bin/env bash
# TRAVEK publishing to a real broker (Debian's mosquitto) on 127.0.0.1, in a network namespace of
# the test's own, so that nothing (a name's look-up neither) leaves this computer.
#   broker_test.sh SCENARIO TRAVEK-SIM TRAVEK [WINE-PREFIX]
# TRAVEK is the Linux program, or travek.exe run under wine with the prefix given.
#   outage   lines from the simulator while the broker is restarted three times and TRAVEK is
#            killed (SIGKILL) once: every Satz reaches a collector with a persistent session, in
#            order, with at most one duplicate per interruption, and nothing waits at the end
#   late     the broker comes 30 s after TRAVEK: what waited arrives; TRAVEK said why meanwhile
#   refused  a wrong password, a port without a broker, a name without an address: TRAVEK names
#            the reason, and tries at most once a second
#   tls      (Linux) a broker whose certificate verifies is used; one of an unknown authority,
#            an expired one, one for another name are refused, each named
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/helpers.sh
source "$here/../../e2e/helpers.sh"
[ $# -ge 3 ] || fail "usage: $0 outage|late|refused TRAVEK-SIM TRAVEK [WINE-PREFIX]"
scenario="$1" sim="$(realpath "$2")" travek="$(realpath "$3")" prefix="${4:+$(realpath -m "$4")}"
for tool in mosquitto mosquitto_sub mosquitto_passwd unshare ip; do
    command -v "$tool" >/dev/null || skip_or_fail "$tool is not installed"
done
if [ -z "${TRAVEK_NETNS:-}" ]; then
    TRAVEK_NETNS=1 exec unshare --net -- "$0" "$@"
fi
ip link set lo up

make_test_dir mqtt
port=1883
write_one_channel_box "$dir"
printf '12.345\n6.789\n' >"$dir/values.txt"
mkdir "$dir/broker-data"
printf 'listener %s 127.0.0.1\npersistence true\npersistence_location %s/\nautosave_interval 60\n' \
    "$port" "$dir/broker-data" >"$dir/broker.conf"
printf 'log_dest file %s/broker.log\nlog_type all\nallow_anonymous true\nuser %s\n' "$dir" "$(id -un)" >>"$dir/broker.conf"

broker_pid=""
start_broker() {
    mosquitto -c "$dir/broker.conf" >>"$dir/broker.out" 2>&1 &
    broker_pid=$!
    remember_pid "$broker_pid"
    wait_until 50 grep -qs "Opening ipv4 listen socket on port $port" "$dir/broker.log" ||
        { show_logs "$dir"; fail "mosquitto did not start"; }
    : >"$dir/broker.log"
}
stop_broker() {
    kill -TERM "$broker_pid"
    wait "$broker_pid" 2>/dev/null || true
}
start_collector() {
    mosquitto_sub -h 127.0.0.1 -p "$port" -i collector -c -q 1 -t 'travek/+/messung' \
        >>"$dir/collected.jsonl" 2>"$dir/collector.log" &
    remember_pid $!
}

# The box on a pty, and TRAVEK's settings: one step, channel 1, no keys. travek.exe finds the box
# as COM1 of its wine prefix, on a private X server (wine makes no windows without one).
start_box "$dir"
if [ -n "$prefix" ]; then
    start_xvfb "$dir"
    export TRAVEK_WINE_DISPLAY=1
    "$here/../win32/wine-run.sh" --prefix "$prefix" --prepare || skip_or_fail "wine does not start"
    # Each new session of the prefix maps its COM ports again, COM1 to /dev/ttyS0 unless the
    # registry names another device.
    "$here/../win32/wine-run.sh" --prefix "$prefix" "$prefix/drive_c/windows/system32/reg.exe" add \
        'HKLM\Software\Wine\Ports' /v COM1 /d "$dir/box" /f >/dev/null
    ln -sfn "$dir/box" "$prefix/dosdevices/com1"
fi
mqtt="HOST=127.0.0.1\r\nPORT=$port\r\n"
write_settings() { # extra [MQTT] lines
    printf "[PARAMETER]\r\nINTERFACE=BOX\r\nNK=3\r\n[COMPORTS]\r\nCOM1=./box\r\n[LOG]\r\nFILE=messung.csv\r\n" >"$dir/TRAVEK.INI"
    printf "STATION=S1\r\n[MQTT]\r\n$1" >>"$dir/TRAVEK.INI"
}
printf '1\t1\t;\r\n' >"$dir/ablauf.abl"
travek_pid=""
start_travek() {
    if [ -n "$prefix" ]; then
        (cd "$dir" && exec "$here/../win32/wine-run.sh" --prefix "$prefix" "$travek" --keyboard=log) \
            </dev/null >>"$dir/travek.log" 2>&1 &
    else
        (cd "$dir" && exec env QT_QPA_PLATFORM=offscreen "$travek" --keyboard=log) </dev/null >>"$dir/travek.log" 2>&1 &
    fi
    travek_pid=$!
    remember_pid "$travek_pid"
    wait_until 600 eval '[ "$(grep -c "channel 1 on" "$dir/sim.log")" -gt "${switched_on:-0}" ]' ||
        { show_logs "$dir"; fail "TRAVEK did not switch channel 1 on"; }
    switched_on="$(grep -c "channel 1 on" "$dir/sim.log")"
}
measured=0
measure() { # count: that many lines, and wait until they are in the log
    for _ in $(seq "$1"); do echo >&5; done
    measured=$((measured + $1))
    wait_until 600 eval '[ "$(grep -c "CH 1" "$dir/messung.csv" 2>/dev/null)" -ge "$measured" ]' ||
        { show_logs "$dir"; fail "the log does not have $measured lines"; }
}
# The Satz of each row of the log, in the order of the rows (fields may be quoted).
logged() {
    awk 'function field(line, n,    i, c, q, k, f) {
             k = 1; f = ""; q = 0
             for (i = 1; i <= length(line); i++) {
                 c = substr(line, i, 1)
                 if (q && c == "\"" && substr(line, i + 1, 1) == "\"") { f = f c; i++ }
                 else if (c == "\"") q = !q
                 else if (!q && c == ";") { if (k == n) return f; k++; f = "" }
                 else f = f c
             }
             return k == n ? f : ""
         }
         FNR == 1 { c = 0; n = split($0, h, ";"); for (i = 1; i <= n; i++) if (h[i] == "Satz") c = i; next }
         c { s = field($0, c); if (s ~ /^[0-9]+$/) print s }' "$dir"/messung*.csv
}
acknowledged() { sed -n 's/^QUITTIERT=\([0-9]*\).*/\1/p' "$dir/messung.csv.mqtt" 2>/dev/null; }
nothing_waits() { [ "$(acknowledged)" = "$(logged | sort -n | tail -n 1)" ]; }
# Every Satz of the log arrived, in order; duplicates at most allowed.
check_collected() { # allowed-duplicates
    wait_until 900 nothing_waits || { show_logs "$dir"; fail "records still wait: $(acknowledged) of $(logged | sort -n | tail -n 1)"; }
    wait_until 100 eval '[ "$(grep -c "\"Station\":\"S1\"" "$dir/collected.jsonl")" -ge "$(logged | wc -l)" ]' || true
    grep -o '"Satz":[0-9]*' "$dir/collected.jsonl" | cut -d: -f2 >"$dir/arrived"
    awk '!seen[$1]++' "$dir/arrived" >"$dir/firsts"
    sort -n -c "$dir/firsts" || { show_logs "$dir"; fail "records arrived out of order"; }
    [ "$(cat "$dir/firsts")" = "$(logged | sort -n)" ] || { show_logs "$dir"; fail "what arrived is not what was logged"; }
    local duplicates=$(($(wc -l <"$dir/arrived") - $(wc -l <"$dir/firsts")))
    [ "$duplicates" -le "$1" ] || { show_logs "$dir"; fail "$duplicates duplicates, at most $1 allowed"; }
    echo "[ figures  ] $(wc -l <"$dir/arrived") messages for $(logged | wc -l) records, $duplicates duplicates"
}

case "$scenario" in
outage)
    lines="${TRAVEK_TEST_LINES:-1000}"
    write_settings "$mqtt"
    start_broker
    start_collector
    start_travek
    quarter=$((lines / 4))
    measure "$quarter"
    stop_broker; start_broker
    measure "$quarter"
    kill -KILL "$travek_pid"; wait "$travek_pid" 2>/dev/null || true
    start_travek
    measure "$quarter"
    stop_broker; start_broker
    measure "$((lines - 3 * quarter))"
    stop_broker; start_broker
    # TRAVEK has noticed the last restart and is back.
    wait_until 600 grep -qs "New client connected from .* as S1" "$dir/broker.log" ||
        { show_logs "$dir"; fail "TRAVEK did not come back after the broker's restart"; }
    check_collected 4
    ;;
late)
    write_settings "$mqtt"
    # The collector's session exists before the broker goes away.
    start_broker
    start_collector
    wait_until 50 grep -q "New client connected" "$dir/broker.log" || fail "the collector did not connect"
    stop_broker
    start_travek
    measure 20
    wait_until 100 grep -q "MQTT: Verbindung abgewiesen (127.0.0.1:$port)" "$dir/travek.log" ||
        { show_logs "$dir"; fail "TRAVEK did not say why nothing is sent"; }
    sleep 30
    start_broker
    measure 20
    check_collected 0
    ;;
refused)
    expect_reason() { # pattern
        wait_until 100 grep -q "$1" "$dir/travek.log" || { show_logs "$dir"; fail "TRAVEK did not say: $1"; }
        # wine does not end a program on SIGTERM.
        kill "$([ -n "$prefix" ] && echo -KILL || echo -TERM)" "$travek_pid"
        wait "$travek_pid" 2>/dev/null || true
    }
    mosquitto_passwd -c -b "$dir/passwd" station secret
    sed -i "s|allow_anonymous true|allow_anonymous false\npassword_file $dir/passwd|" "$dir/broker.conf"
    start_broker
    printf 'wrong\n' >"$dir/password.txt"
    write_settings "${mqtt}USER=station\r\nPASSWORDFILE=password.txt\r\n"
    start_travek
    sleep 6
    attempts="$(grep -c "New connection from" "$dir/broker.log")"
    expect_reason "MQTT: nicht berechtigt"
    [ "$attempts" -ge 2 ] && [ "$attempts" -le 6 ] || fail "$attempts attempts in 6 s with a wrong password"
    write_settings "HOST=127.0.0.1\r\nPORT=1\r\n"
    start_travek
    expect_reason "MQTT: Verbindung abgewiesen (127.0.0.1:1)"
    write_settings "HOST=broker.invalid\r\n"
    start_travek
    expect_reason "MQTT: Rechner broker.invalid nicht gefunden"
    echo "[ figures  ] $attempts attempts in 6 s with a wrong password"
    ;;
tls)
    command -v openssl >/dev/null || skip_or_fail "openssl is not installed"
    cd "$dir"
    certificate() { # name subject-alternative-name signing-options...
        local name="$1" san="$2"
        shift 2
        openssl req -newkey rsa:2048 -nodes -keyout "$name.key" -out "$name.csr" -subj "/CN=$name" \
            -addext "subjectAltName=$san" 2>/dev/null
        openssl x509 -req -in "$name.csr" -CA ca.crt -CAkey ca.key -CAcreateserial -out "$name.crt" \
            -copy_extensions copy "$@" 2>/dev/null
    }
    for ca in ca other; do
        openssl req -x509 -newkey rsa:2048 -nodes -keyout $ca.key -out $ca.crt -days 30 -subj "/CN=$ca" 2>/dev/null
    done
    certificate broker IP:127.0.0.1 -days 30
    certificate old IP:127.0.0.1 -days -1 # ended a day before it began: expired
    tls_case() { # certificate CA host expected
        sed -i '/^certfile\|^keyfile/d' broker.conf
        printf 'certfile %s/%s.crt\nkeyfile %s/%s.key\n' "$dir" "$1" "$dir" "$1" >>broker.conf
        start_broker
        write_settings "HOST=$3\r\nPORT=$port\r\nCAFILE=$2.crt\r\n"
        start_travek
        if [ "$4" = connected ]; then
            wait_until 100 grep -qs "New client connected from .* as S1" broker.log || fail "TRAVEK did not connect over TLS"
        else
            wait_until 100 grep -aq "MQTT: TLS: $4" travek.log || { show_logs "$dir"; fail "TRAVEK did not say: TLS: $4"; }
        fi
        kill -TERM "$travek_pid"; wait "$travek_pid" 2>/dev/null || true
        stop_broker
    }
    tls_case broker ca 127.0.0.1 connected
    tls_case broker other 127.0.0.1 "Zertifizierungsstelle unbekannt"
    tls_case old ca 127.0.0.1 "Zertifikat abgelaufen"
    tls_case broker ca localhost "Zertifikat nicht f"
    ;;
*) fail "unknown scenario $scenario" ;;
esac
echo "PASS: $scenario"
