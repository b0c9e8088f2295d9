#!/usr/bin/env bash
# Live receive when things go wrong. While a .wav file plays, live audio is dropped: a
# different text played live meanwhile never reaches the logger, and after the file is
# stopped live audio decodes again. When "Line In" stops delivering, Kestrel reopens it and
# decodes once audio returns; when it has vanished, each failing reopen shows the system's
# error text and is tried again after its box is dismissed.
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"
samples=$(cd "$(dirname "$0")/../../samples" && pwd)

with_loggersim "$kestrel" "$loggersim"
quoted="${w//\\/\\\\}"   # the folder as a quoted scenario word
printf '[Kestrel Modem]\r\nDecodemode=0\r\nCorrelateState=0\r\n' >"$work/Kestrel.ini"
live_text="K1ABC K1ABC K1ABC"
rtty_wav "$work/live.wav" 45.45 "RYRYRY $live_text RYRY"
# The bundled recording, then half an hour of silence: it plays far longer than the live
# text takes, at any speed this machine runs it.
sox -q "$samples/sample.wav" -r 8000 "$work/long.wav" pad 0 1800

# kestrel_source_output: Pulse's number for Kestrel's recording stream (a reopen makes a
# new one).
kestrel_source_output() {
    local source
    source=$(pactl list short sources | awk '$2 == "kestrel_rx.monitor" {print $1}')
    pactl list short source-outputs | awk -v s="$source" '$2 == s {print $1}' | sort -n | tail -1
}

cat >"$work/faults.scn" <<SCN
expect TXM_START 0 within 15000
open-file "$quoted\\\\long.wav" within 15000
expect-text "CQ TEST DL5XYZ" within 60000
expect-text "$live_text" within 90000
expect-text "$live_text" within 90000
send RXM_EXIT
expect-exit 0 within 10000
SCN
"$WINE" "$work/loggersim.exe" "$w\\Kestrel.exe" "$w\\faults.scn" </dev/null >"$work/out" \
    2>/dev/null &
pid=$!
await "$work/out" '< TXM_START 0'
capture_open
wine_out "$automate" command KESTREL 114 >/dev/null    # Play WAV file
await "$work/out" "TXM_CHAR 81 'Q'"                     # the file is playing
feed "$work/live.wav"
got=$(received "$work/out")
[[ "$got" != *K1A* && "$got" != *1AB* ]] || fail "live audio came through while the file played: $got"
before=$(kestrel_source_output)
wine_out "$automate" command KESTREL 114 >/dev/null    # stop it: capture is reopened
until_ok 20 eval '[ "$(kestrel_source_output)" != "$before" ]' || fail "no reopen after the file"
feed "$work/live.wav"
await "$work/out" 'line 5: expect-text'
echo "after the file: $(received "$work/out")"

# The input stops delivering (its source suspended): the watchdog asks for reopens until
# audio returns.
before=$(kestrel_source_output)
pactl suspend-sink kestrel_rx 1
until_ok 20 eval '[ "$(kestrel_source_output)" != "$before" ]' || fail "no reopen while the input was stalled"
pactl suspend-sink kestrel_rx 0
feed "$work/live.wav"
await "$work/out" 'line 6: send RXM_EXIT'
wait_exit "$pid" 20
pid=
[ "$exit_status" = 0 ] || { cat "$work/out"; fail "the scenario ended with $exit_status"; }
rm -rf "$work"
echo "PASS"
