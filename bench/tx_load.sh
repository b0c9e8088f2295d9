#!/usr/bin/env bash
# Transmitting on a busy machine: loggersim has Kestrel.exe under Wine send COUNT short
# contest texts (AFSK, DOOK or PFSK, 45.45 baud, Sound Card PTT on COM5's RTS) while BUSY
# shell loops eat the processors, and reports how many minimodem decodes back exactly from
# a recording of "Speakers" (PFSK, which minimodem does not read: pfsk_rx.py), PTT on to
# the first tone and the last tone to PTT off (median and worst, the longest; a tone more
# than 50 ms outside PTT, more than the clocks can be off, is marked), the gaps of silence
# inside the transmissions (not in PFSK, whose mark is silence) and how often Kestrel
# reopened its capture of "Line In" meanwhile.
#
#   bench/tx_load.sh BUILD [--busy K] [--count N] [--mode afsk|dook|pfsk] [--latency MS]
#                    [--raise-wineserver yes|no] [--raise-kestrel yes|no] [--pulse-ms MS]
#                                                  (defaults 0, 6, afsk, 5, no, no, none)
#
# BUILD is the windows preset's build folder. Its programs and the rig's scripts are copied
# first: a rebuild or an edit during the run does no harm. The rig is the script's own, in
# a temporary folder that keeps the recording and the logs. Everything the script started
# ends on any exit. The sound server and the recorder are raised above the load (as root),
# so that it is Kestrel that gets measured; --raise-wineserver yes raises the rig's
# wineserver too, which does the kernel's part (waits, events, messages) for every Wine
# thread, and --raise-kestrel yes every thread of Kestrel.exe once it runs: what Wine
# would do for a program that raises its priority, where it may. --pulse-ms MS starts the
# Wine programs with PULSE_LATENCY_MSEC=MS, which has the sound server hold MS of their
# output instead of the three periods (30 ms) Wine asks for. It is no test and not part of
# ctest.
set -euo pipefail
usage="usage: bench/tx_load.sh BUILD [--busy K] [--count N] [--mode afsk|dook|pfsk] [--latency MS]
       [--raise-wineserver yes|no] [--raise-kestrel yes|no] [--pulse-ms MS]"
build=$(cd "${1:?$usage}" && pwd)
shift
busy=0 count=6 mode=afsk latency=5 raise_wineserver=no raise_kestrel=no pulse_ms=none
while [ $# -gt 1 ] && [[ $1 =~ ^--(busy|count|mode|latency|raise-wineserver|raise-kestrel|pulse-ms)$ ]]; do
    name=${1#--}
    printf -v "${name//-/_}" %s "$2"
    shift 2
done
[[ $# = 0 && $busy =~ ^[0-9]+$ && $count =~ ^[1-9][0-9]*$ && $mode =~ ^(afsk|dook|pfsk)$ &&
    $latency =~ ^[1-9][0-9]*$ && $raise_wineserver =~ ^(yes|no)$ &&
    $raise_kestrel =~ ^(yes|no)$ && $pulse_ms =~ ^(none|[1-9][0-9]*)$ ]] ||
    { echo "$usage" >&2; exit 2; }
rig=$(mktemp -d /tmp/kestrel-txload.XXXXXX)
here=$rig/wine
mkdir "$here"
cp "$(dirname "$0")"/../tests/wine/{rig.sh,lib.sh,modemline_shim.c,air_gaps.py} \
    "$(dirname "$0")/pfsk_rx.py" "$here/"
cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" \
    "$build/tests/wine/kestrel-automate.exe" "$rig/"
loops=() recorder='' watcher=''
stop_all() {
    [ ${#loops[@]} = 0 ] || kill "${loops[@]}" 2>/dev/null || true
    [ -z "$watcher" ] || kill "$watcher" 2>/dev/null || true
    [ -z "$recorder" ] || kill -INT "$recorder" 2>/dev/null || true
    [ -z "${work:-}" ] || leave_nothing_behind
    touch "$rig/env"   # else a start that failed half way leaves Wine running
    bash "$here/rig.sh" stop "$rig"
    rm -rf "$rig/prefix"   # 700 MB
}
trap stop_all EXIT
trap 'exit 130' INT TERM
bash "$here/rig.sh" start "$rig" >/dev/null ||
    { echo "tx_load: the rig did not start; see $rig/wine.log" >&2; exit 1; }
automate=$rig/kestrel-automate.exe
source "$here/lib.sh"
with_loggersim "$rig/Kestrel.exe" "$rig/loggersim.exe"
trap stop_all EXIT   # with_loggersim set its own
if [ "$pulse_ms" != none ]; then
    # loggersim passes its environment on to Kestrel.exe.
    printf '#!/bin/sh\nPULSE_LATENCY_MSEC=%s exec "%s" "$@"\n' "$pulse_ms" "$WINE" >"$rig/wine-pulse"
    chmod +x "$rig/wine-pulse"
    WINE=$rig/wine-pulse
fi
# What the mode decides: its TXmode (AFSK 0, DOOK 1, PFSK 2); whether a gap of silence
# inside a transmission is a fault (PFSK's mark is silence); and read_back WAV, the text a
# peer reads from a transmission.
read_back() {
    minimodem --rx -q -f "$1" --baudot --stopbits 1.5 45.45 -M 2125 -S 2295 2>/dev/null || true
}
case $mode in
afsk) txmode=0 gaps_count=yes ;;
dook) txmode=1 gaps_count=yes ;;
pfsk)
    txmode=2 gaps_count=no
    read_back() { python3 "$here/pfsk_rx.py" "$1"; }
    ;;
esac
# Settings as a user would have saved them: the mode to "Speakers", PTT on RTS (2) of COM5.
printf '[Kestrel Modem]\r\nTXmode=%s\r\nTXnameid=Speakers\r\nPTT=2\r\nPTTCOMport=COM5\r\n' \
    "$txmode" >"$work/Kestrel.ini"

# Each text is told apart by its number. After PTT off comes a 3 s pause, so that a cut
# halfway between two transmissions leaves a second and a half on either side.
text() { echo "ryry cq test de k1abc $(printf '%02d' "$1") k1abc"; }
{
    echo "expect TXM_START 0 within 60000"
    for ((i = 1; i <= count; i++)); do
        echo "text $(text "$i"){TX}"
        echo "expect TXM_PTTEVENT 1 within 10000"
        echo "expect-text \"$(text "$i" | tr a-z A-Z)\" within 30000"
        echo "send RXM_PTT 1"
        echo "expect TXM_PTTEVENT 0 within 30000"
        echo "wait 3000"
    done
    echo "send RXM_EXIT"
    echo "expect-exit 0 within 30000"
} >"$work/tx.scn"

# Nice values belong to threads: every thread of the process is raised.
raise() { for t in /proc/"$1"/task/*; do renice -n -10 -p "${t##*/}" >/dev/null; done; }
raise "$(cat "$rig/pulse.pid")" || echo "could not raise the sound server"
# raise_rigs NAME: raises the processes named NAME that run in this rig's prefix.
raise_rigs() {
    local p
    for p in $(pgrep -f "$1"); do
        tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$rig/prefix" &&
            { raise "$p" || echo "could not raise $1"; }
    done
}
[ "$raise_wineserver" = no ] || raise_rigs wineserver

# The recording runs from before Kestrel starts to after it ends. Its first sample on the
# wall clock is now less what the file holds. The sink renders a block ahead, and a block
# is as long as the smallest latency asked for: --latency (Wine asks 5 ms while it plays),
# so the file runs ahead of the clock by at most that. Of twenty readings taken before the
# load, the median. A longer --latency makes the PTT times that much less certain.
parecord -d kestrel_tx.monitor --rate=12000 --channels=1 --format=s16le --file-format=wav \
    --latency-msec="$latency" "$work/tx.wav" >/dev/null 2>&1 &
recorder=$!
size() { stat -c %s "$work/tx.wav" 2>/dev/null || echo 0; }
until_ok 20 eval '[ "$(size)" -gt 12044 ]' || fail "no recording"
raise "$recorder" || echo "could not raise the recorder"
start=$(for _ in $(seq 20); do
    awk -v now="$(date +%s.%N)" -v z="$(size)" 'BEGIN {printf "%.6f\n", now - (z - 44) / 24000}'
    sleep 0.05
done | sort -n | sed -n 10p)
for ((i = 0; i < busy; i++)); do
    while :; do :; done &
    loops+=($!)
done

# Pulse numbers its streams in order. Wine makes a few short-lived ones as it looks at the
# devices, then Kestrel opens "Line In": any recording stream after that one is a reopen.
stdbuf -oL pactl subscribe >"$work/events" 2>/dev/null &
watcher=$!
: >"$work/out"
start_scenario tx "$work/out"
await "$work/out" '< TXM_START 0' 60
capture_open 30
[ "$raise_kestrel" = no ] || raise_rigs Kestrel.exe
capture=$(line_in_streams | tail -1)
wait_exit "$pid" $((120 + 60 * count))
pid=
# PTT on and off, one line per keying: the changes of RTS in the modem-line log. Opening
# the port shows RTS set, as a UART has it after opening, and then cleared: no keying.
awk '{v = substr($4, 5); if (v == "1" && last == "0") on = $1
      if (v == "0" && last == "1" && on != "") {print on, $1; on = ""}; last = v}
     END {if (on != "") print on, "-"}' "$MODEMLINE_LOG" >"$work/ptt"
# The recording goes on until it holds the pause after the last PTT off.
past() { awk -v s="$start" -v z="$(size)" -v e="$1" 'BEGIN {exit !(s + (z - 44) / 24000 > e + 1.5)}'; }
until_ok 30 past "$(awk 'END {print $2}' "$work/ptt")" || echo "the recording stops short of the last PTT off"
kill -INT "$recorder" "$watcher"
wait "$recorder" || true
recorder='' watcher=''
echo "Kestrel.exe of $build, rig in $rig: the scenario ended with $exit_status"
grep -a '^FAIL' "$work/out" || true
keyed=$(wc -l <"$work/ptt")
[ "$keyed" = "$count" ] || echo "PTT went on $keyed times for $count transmissions; taken in order"

# Transmission i is the recording from halfway between the PTT off before it and its PTT
# on to halfway between its PTT off and the next PTT on. A PTT left on ends with the file.
awk -v s="$start" -v t="$(soxi -D "$work/tx.wav")" '{on[NR] = $1; off[NR] = $2 == "-" ? s + t : $2; o[NR] = $2}
    END {for (i = 1; i <= NR; i++) printf "%s %s %.6f %.6f\n", on[i], o[i],
        i == 1 ? 0 : (off[i - 1] + on[i]) / 2 - s, i == NR ? t : (off[i] + on[i + 1]) / 2 - s}' \
    "$work/ptt" >"$work/cuts"
mapfile -t cuts <"$work/cuts"
intact=0
touch "$work/lead" "$work/tail" "$work/gaps"
for ((i = 0; i < count; i++)); do
    ((i < keyed)) || { echo "$((i + 1)): PTT never went on"; continue; }
    read -r a b from to <<<"${cuts[i]}"
    sox "$work/tx.wav" "$work/one.wav" trim "$from" ="$to"
    sent=$(text $((i + 1)) | tr a-z A-Z)
    heard=$(read_back "$work/one.wav")
    heard=${heard#"${heard%%[![:space:]]*}"}
    heard=${heard%"${heard##*[![:space:]]}"}
    [ "$heard" = "$sent" ] && intact=$((intact + 1)) || echo "$((i + 1)): heard '$heard'"
    [ "$gaps_count" = no ] ||
        python3 "$here/air_gaps.py" "$work/one.wav" | awk '{print $3, $4}' >>"$work/gaps"
    sox "$work/one.wav" "$work/on.wav" silence 1 0.002 1%
    sox "$work/one.wav" "$work/off.wav" reverse silence 1 0.002 1% reverse
    awk -v r="$(soxi -D "$work/on.wav")" 'BEGIN {exit !(r == 0)}' && { echo "$((i + 1)): no tone"; continue; }
    [ "$b" != - ] || { echo "$((i + 1)): PTT stayed on"; continue; }
    # The first tone and the last on the wall clock, against PTT.
    awk -v s="$start" -v f="$from" -v t="$to" -v r="$(soxi -D "$work/on.wav")" \
        -v e="$(soxi -D "$work/off.wav")" -v a="$a" -v b="$b" -v n=$((i + 1)) \
        -v leads="$work/lead" -v tails="$work/tail" '
        function ms(x) {return sprintf("%.0f", x * 1000) + 0}
        BEGIN {lead = ms(s + t - r - a); trail = ms(b - s - f - e)
        printf "%d: PTT to tone %d ms, tone to PTT off %d ms%s\n", n, lead, trail,
            lead < -50 || trail < -50 ? "  (tone outside PTT)" : ""
        print lead >> leads; print trail >> tails}'
done

median_worst() {
    sort -n "$1" | awk 'function ms(x) {return sprintf("%.0f", x) + 0}
        {v[NR] = $1} END {if (!NR) {print "median=- worst=-"; exit}
        print "median=" ms((v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2) " worst=" ms(v[NR])}'
}
reopens=$(awk -v first="$capture" '/new. on source-output/ && substr($NF, 2) + 0 > first' \
    "$work/events" | wc -l)
echo "tx_load: mode=$mode busy=$busy count=$count pulse_ms=$pulse_ms intact=$intact/$count" \
    "ptt_to_tone_ms $(median_worst "$work/lead") tone_to_ptt_ms $(median_worst "$work/tail")" \
    "capture_reopens=$reopens" \
    "$(awk -v counted="$gaps_count" '{n += $1; if ($2 > w) w = $2}
        END {printf counted == "no" ? "gaps=- longest_gap_ms=-" : "gaps=%d longest_gap_ms=%d", n, w}' \
        "$work/gaps")"
