#!/usr/bin/env bash
# Soak: Kestrel.exe under Wine receiving live for MINUTES (default 30) while loggersim has
# it send a transmission every minute and a peer's RTTY plays into "Line In" twenty seconds
# after each one.
#
#   bench/live_soak.sh BUILD [MINUTES]      (BUILD: the windows preset's build folder)
#
# It starts a rig of its own in a temporary folder (left there for a look afterwards) and
# prints, after the first transmission and every tenth, Kestrel's handle, thread and
# memory figures as Windows counts them, the Wine process's resident memory as Linux
# counts it, Pulse's number for Kestrel's recording stream (each reopen of capture makes a
# new one) and the load average; then how many transmissions minimodem decodes back from
# what went to "Speakers" and how many peer texts reached the logger. Run it niced; it is
# no test and not part of ctest.
set -euo pipefail
build=$(cd "${1:?usage: bench/live_soak.sh BUILD [MINUTES]}" && pwd)
minutes=${2:-30}
here=$(cd "$(dirname "$0")/../tests/wine" && pwd)
rig=$(mktemp -d /tmp/kestrel-soak.XXXXXX)
bash "$here/rig.sh" start "$rig" >/dev/null
automate=$build/tests/wine/kestrel-automate.exe
source "$here/lib.sh"
recorder=
stop_all() {
    [ -n "$recorder" ] && kill -INT "$recorder" 2>/dev/null || true
    leave_nothing_behind
    bash "$here/rig.sh" stop "$rig"
}
with_loggersim "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe"
trap stop_all EXIT

# One transmission a minute: the text, its echo, the end after the text, then a wait that
# fills the minute.
{
    echo "expect TXM_START 0 within 20000"
    for ((i = 1; i <= minutes; i++)); do
        n=$(printf '%02d' "$i")
        echo "text ryry soak $n de k1abc k1abc{TX}"
        echo "expect TXM_PTTEVENT 1 within 5000"
        echo "expect-text \"SOAK $n DE K1ABC K1ABC\" within 20000"
        echo "send RXM_PTT 1"
        echo "expect TXM_PTTEVENT 0 within 10000"
        echo "wait 52000"
    done
    echo "send RXM_EXIT"
    echo "expect-exit 0 within 20000"
} >"$work/soak.scn"

# figures: Windows' counts for Kestrel's process and the Wine process's resident memory.
figures() {
    local linux_pid
    linux_pid=$(for p in $(pgrep -f "$(basename "$work").Kestrel\.exe"); do
        grep -q loggersim "/proc/$p/cmdline" || echo "$p"
    done | head -1)
    echo "$(auto process KESTREL) linux-rss-kb $(awk '/^VmRSS/ {print $2}' "/proc/$linux_pid/status")" \
        "line-in-stream $(line_in_streams | tail -1) load $(cut -d' ' -f1-3 /proc/loadavg)"
}

parecord -d kestrel_tx.monitor --rate=12000 --channels=1 --format=s16le --file-format=wav \
    --latency-msec=200 "$work/tx.wav" &
recorder=$!
start_scenario soak "$work/out"
await "$work/out" '< TXM_START 0' 60
capture_open 30
peers=0
for ((i = 1; i <= minutes; i++)); do
    n=$(printf '%02d' "$i")
    # Transmission i has ended when the scenario reaches the wait after it (six steps
    # each, after the first).
    await "$work/out" "# line $((1 + 6 * i)): wait" 120
    if [ "$i" = 1 ] || [ $((i % 10)) = 0 ]; then echo "after transmission $n: $(figures)"; fi
    [ "$i" = 1 ] && first_stream=$(line_in_streams | tail -1)
    sleep 20
    rtty_wav "$work/peer.wav" 45.45 "RYRY W1AW $n W1AW $n RYRY"
    feed "$work/peer.wav"
    # Repeat Match marks a repeated word with braces: "W1AW { W1AW } 02".
    until_ok 10 eval "received '$work/out' | sed 's/{ [^}]* } //g' | grep -q 'W1AW $n'" &&
        peers=$((peers + 1)) ||
        echo "peer text $n not received"
    last_stream=$(line_in_streams | tail -1)
done
wait_exit "$pid" 120
pid=
kill -INT "$recorder"
wait "$recorder" || true
recorder=
decoded=$(minimodem --rx --baudot --stopbits 1.5 -M 2125 -S 2295 -f "$work/tx.wav" 45.45 \
    2>/dev/null | tr -d '\n')
sent=0 garbled=
for ((i = 1; i <= minutes; i++)); do
    n=$(printf '%02d' "$i")
    grep -q "SOAK $n DE K1ABC K1ABC" <<<"$decoded" && sent=$((sent + 1)) || garbled+=" $n"
done
echo "scenario exit: $exit_status; its failed steps:"
grep '^FAIL line' "$work/out" || true
echo "transmissions decoded back exactly by minimodem: $sent of $minutes (not:$garbled)"
echo "peer texts received at the logger: $peers of $minutes"
echo "reopens of capture after the first transmission: $((last_stream - first_stream))"
