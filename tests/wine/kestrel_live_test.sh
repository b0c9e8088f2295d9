#!/usr/bin/env bash
# Live receive: a peer's RTTY (minimodem) played in real time into "Line In" reaches the
# logger as the exact text in "Flutter" at 45.45, 50 and 75 baud, and in "Deep" chosen on
# the control panel. A stereo stream with the signal on the right channel only decodes
# with RXChannel 2 (right) and not with 1 (left).
source "$(dirname "$0")/lib.sh"

text="CQ TEST DE K1ABC K1ABC 599 14 14 TU"
with_loggersim "$kestrel" "$loggersim"

# live BAUD_INDEX RXCHANNEL WAV EXPECT [TRIES]: one Kestrel run with those settings, the
# file fed live; EXPECT is the scenario line that judges what arrived. With deep=1 Kestrel
# starts in Spread and the control panel's mode button steps it on to Deep first.
live() {
    printf '[Kestrel Modem]\r\nBaud Rate=%s\r\nDecodemode=%s\r\nCorrelateState=0\r\nRXChannel=%s\r\n' \
        "$1" "$([ -n "${deep:-}" ] && echo 2 || echo 0)" "$2" >"$work/Kestrel.ini"
    cat >"$work/live.scn" <<SCN
expect TXM_START 0 within 15000
$4
send RXM_EXIT
expect-exit 0 within 10000
SCN
    started live "$work/live.out"
    [ -z "${deep:-}" ] || { click KESTREL 40043 && is Deep get-text KESTREL 40043; }
    capture_open
    feed_until "$work/live.out" '# line 3:' "$3" "${5:-3}" || true
    finish "$work/live.out" "$3: the scenario"
    echo "$(basename "$3") RXChannel=$2: received '$(received "$work/live.out")'"
}

for speed in "0 45.45" "1 50" "2 75"; do
    set -- $speed
    rtty_wav "$work/rtty$2.wav" "$2" "RYRYRY $text RYRY"
    live "$1" 1 "$work/rtty$2.wav" "expect-text \"$text\" within 90000"
done

deep=1 live 0 1 "$work/rtty45.45.wav" "expect-text \"$text\" within 90000"

# The same transmission on the right channel only, silence on the left.
sox -q "$work/rtty45.45.wav" "$work/right.wav" remix 0 1
live 0 2 "$work/right.wav" "expect-text \"$text\" within 90000"
live 0 1 "$work/right.wav" "expect-none TXM_CHAR * for 12000" 1
passed
