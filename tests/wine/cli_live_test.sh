#!/usr/bin/env bash
# Live input of kestrel-cli.exe through the wave input: it lists "Line In" among the
# inputs, and what it records from there while a peer's RTTY (minimodem) plays into it
# decodes to the text sent. Ctrl-C ends the recording with the file complete.
rig=$1
source "$(dirname "$0")/lib.sh"
cli=${KESTREL_CLI:?the path of kestrel-cli.exe}
work=$(mktemp -d "$rig/test.XXXXXX")
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

inputs=$(wine_out "$cli" record --list-devices)
grep -qx "Line In" <<<"$inputs" || fail "kestrel-cli.exe lists no Line In: '$inputs'"

text="CQ TEST DE K1ABC K1ABC"
rtty_wav "$work/rtty.wav" 45.45 "RYRYRY $text RYRY"
# A loaded machine may drop a stretch of the live audio: up to three tries.
for try in 1 2 3; do
    "$WINE" "$cli" record --device "Line In" "$(winpath "$work/live.wav")" </dev/null \
        >"$work/record.log" 2>&1 &
    pid=$!
    capture_open
    feed "$work/rtty.wav"
    kill -INT "$pid"
    wait_exit "$pid" 20
    pid=
    [ "$exit_status" = 0 ] || { cat "$work/record.log"; fail "record ended with $exit_status"; }
    got=$(wine_out "$cli" decode --repeat-match off "$(winpath "$work/live.wav")")
    echo "try $try: $(soxi -D "$work/live.wav") s recorded, decoded '$got'"
    grep -qF "$text" <<<"$got" && { echo "PASS"; exit 0; }
done
fail "the recording never held '$text'"
