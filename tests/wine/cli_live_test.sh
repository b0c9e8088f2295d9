#!/usr/bin/env bash
# Live input of kestrel-cli.exe through the wave input, or of kestrel-cli for Linux
# through PulseAudio: it lists "Line In", and what it records there while a peer's RTTY
# (minimodem) plays into it, after the input stalls, decodes to the text sent; Ctrl-C
# ends the recording with the file complete. The skimmer turns the same CQ into a spot on
# its standard output and at a logger connected to its cluster service.
source "$(dirname "$0")/lib.sh"
cli=${KESTREL_CLI:?the path of kestrel-cli.exe, or of kestrel-cli for Linux}
# kestrel-cli for Linux runs as it is, on the rig's PulseAudio: the same "Line In".
if [[ $cli != *.exe ]]; then
    [ -x "$cli" ] || fail "no $cli: build the native-release preset first"
    WINE=env
    winpath() { printf '%s' "$1"; }
fi
work=$(mktemp -d "$rig/test.XXXXXX")
pid=
trap '[ -z "$pid" ] || kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

name=$(basename "$cli")
inputs=$(wine_out "$cli" record --list-devices) || fail "$name record --list-devices failed"
# Linux names each source's PulseAudio name after a tab.
grep -qE $'^Line In($|\t)' <<<"$inputs" || fail "$name lists no Line In: '$inputs'"

text="CQ TEST DE K1ABC K1ABC"
rtty_wav "$work/rtty.wav" 45.45 "RYRYRY $text RYRY"

# stop_cli: Ctrl-C to kestrel-cli.exe, which must end at once and well.
stop_cli() {
    kill -INT "$pid"
    wait_exit "$pid" 20
    pid=
    [ "$exit_status" = 0 ] || { cat "$work/cli.err"; fail "kestrel-cli ended with $exit_status"; }
}

# A loaded machine may drop a stretch of the live audio: up to three tries.
for try in 1 2 3; do
    "$WINE" "$cli" record --device "Line In" "$(winpath "$work/live.wav")" </dev/null \
        >/dev/null 2>"$work/cli.err" &
    pid=$!
    capture_open
    pactl suspend-sink kestrel_rx 1 && sleep 0.3 && pactl suspend-sink kestrel_rx 0 || fail "no stall"
    feed "$work/rtty.wav"
    stop_cli
    got=$(wine_out "$cli" decode --repeat-match off "$(winpath "$work/live.wav")")
    echo "try $try: $(soxi -D "$work/live.wav") s recorded, decoded '$got'"
    grep -qF "$text" <<<"$got" && break
    [ "$try" -lt 3 ] || fail "the recording never held '$text'"
done

"$WINE" "$cli" skim --device "Line In" --format jsonl --telnet 0 </dev/null >"$work/skim.out" \
    2>"$work/cli.err" &
pid=$!
await "$work/cli.err" "on 127.0.0.1:"
port=$(tr -d '\r' <"$work/cli.err" | sed -n 's/.* on 127\.0\.0\.1:\([0-9]*\).*/\1/p')
# A logger at the cluster service: it logs in and waits for the spot.
python3 - "$port" >"$work/cluster.out" 2>&1 <<'PY' &
import socket, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=120)
seen = b""
while b"call: " not in seen: seen += s.recv(4096) or sys.exit(1)
s.sendall(b"N0CALL\r\n")
while b" K1ABC " not in seen: seen += s.recv(4096) or sys.exit(1)
print(seen.decode("latin1"))
PY
logger=$!
capture_open
for try in 1 2 3; do
    feed "$work/rtty.wav"
    until_ok 5 grep -q '"type":"spot".*"call":"K1ABC"' "$work/skim.out" && break
done
wait "$logger" || { cat "$work/cluster.out"; fail "the cluster service never spotted K1ABC"; }
# On standard output as it is made, not only once the skimmer ends.
until_ok 10 grep -q '"type":"spot".*"call":"K1ABC"' "$work/skim.out" ||
    fail "no spot of K1ABC on standard output while kestrel-cli runs"
stop_cli
grep -a "DX de" "$work/cluster.out"
echo "PASS"
