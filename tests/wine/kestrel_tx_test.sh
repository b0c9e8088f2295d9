#!/usr/bin/env bash
# A transmission under loggersim: the logger's text and {TX} start it, each character is
# echoed as it goes on air, RXM_PTT 1 ends it after the text; the audio on the virtual
# "Speakers" decodes with minimodem to the text sent (three times over: under load, Wine
# may leave a gap in one). Then RXM_PTT 0 aborts a
# transmission at once, and keys typed into Kestrel's window (Ctrl-T, Escape) send and
# stop one of their own; letters beyond ASCII whose low byte is "{" or Escape act as
# letters, and a stranger's forged "run this" message changes nothing. Last, the sound
# output stalls: Abort still works at once, and the watchdog ends what it must.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"

with_loggersim "$kestrel" "$loggersim"
trap 'kill -CONT "$(cat "$rig/pulse.pid")" 2>/dev/null || true; leave_nothing_behind' EXIT

copies=3
{
    echo "expect TXM_START 0 within 15000"
    echo "expect-no-msgbox for 1000"
    air_texts $copies 3000
} >"$work/tx.scn"
cat >>"$work/tx.scn" <<'SCN'
# A long text aborted after a second: the end is reported at once and the echo stops.
text the quick brown fox jumps over the lazy dog 1234567890{TX}
expect TXM_PTTEVENT 1 within 3000
wait 1000
send RXM_PTT 0
expect TXM_PTTEVENT 0 within 300
expect-none TXM_CHAR * for 1000
# Typed into Kestrel's window.
expect TXM_PTTEVENT 1 within 15000
expect-text "TU 5NN" within 5000
expect TXM_PTTEVENT 0 within 5000
# The sound server stops taking audio (the test stops it and presses the AFC button, the
# go): Abort still ends a transmission at once, and one left alone is ended by the
# watchdog two seconds after its last buffer played, with a message that says why.
text ryryryryryryryryryryryryryryryryryryryry{TX}
expect TXM_PTTEVENT 1 within 3000
expect-text "RYRY" within 5000
expect TXM_SWITCH * within 60000
send RXM_PTT 0
expect TXM_PTTEVENT 0 within 500
text ryry cq test{TX}
expect TXM_PTTEVENT 1 within 3000
expect-msgbox "Kestrel Error" "TX sound card stopped playing\nTransmission ended" within 10000
expect TXM_PTTEVENT 0 within 1000
# The server runs again (the AFC button once more): the program ends as usual.
expect TXM_SWITCH * within 60000
send RXM_EXIT
expect-exit 0 within 5000
SCN

record_air 1
start_scenario tx "$work/out"
await "$work/out" 'expect TXM_PTTEVENT 1 within 15000'
auto post KESTREL 32769 0 1094795585  # WM_APP+1 with a made-up address
auto type KESTREL "tu Ż5nn"  # U+017B: not a brace
auto char KESTREL 20  # Ctrl-T
auto char KESTREL 283  # U+011B: not Escape
await "$work/out" "< TXM_CHAR 78 'N'"
sleep 0.4
auto char KESTREL 27  # Escape
await "$work/out" 'expect TXM_SWITCH * within 60000' 30
kill -STOP "$(cat "$rig/pulse.pid")"  # the sound server stops: no buffer comes back
click KESTREL 40031  # AFC: the go
await "$work/out" 'message box "Kestrel Error" answered' 30
kill -CONT "$(cat "$rig/pulse.pid")"
click KESTREL 40031
finish "$work/out" "the scenario"
stop_air
grep -E 'PTTEVENT' "$work/out" || true

# Characters leave at the speed of the line: 7.5 bits at 45.45 baud, 165 ms, and a
# little more with the case shifts.
times=$(grep -E '< TXM_CHAR' "$work/out" | head -29 | awk '{print $1}')
pace=$(printf '%s\n' "$times" | awk 'NR == 1 {first = $1} {last = $1} END {print int((last - first) / (NR - 1))}')
echo "echo every $pace ms"
[ "$pace" -ge 150 ] && [ "$pace" -le 230 ] || fail "characters echoed every $pace ms"

# Each copy decodes, unless a gap in its audio shows that the sound path lost some of it;
# one at least decodes. The RYRYRY in front lets a receiver settle; the first moments of a
# sound stream can be lost, so only what follows it must decode.
air_copies_decode "$work/air.wav" $copies "CQ TEST DE K1ABC K1ABC" rtty -M 2125 -S 2295
passed
