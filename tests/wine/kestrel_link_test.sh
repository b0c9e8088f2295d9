#!/usr/bin/env bash
# Kestrel under loggersim: the handshake in order with the shared block's bytes, the level
# heartbeat every 57 ms, the title of the logger's parent window taken for Kestrel's own
# (not a receiver's: the switch word stays free), and every logger command answered as it
# should be; RXM_EXIT ends Kestrel.
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

cat >"$work/link.scn" <<'SCN'
# The handshake: parameter report, thread, handle, start, parameter report again.
expect TXM_START 0 within 15000
expect TXM_PTTEVENT 0
expect TXM_LEVEL 2147450879 within 1000
shared-bytes 0 0a000000
shared-bytes 132 4e4f4e4500000000 4e4f4e4500000000
shared-bytes 152 01000000
shared-bytes 12448 39393939393939393939393939 00
shared-bytes 12492 e02e0000
wait 1000
expect-title "DI1 XX9XX Kestrel " within 3000
# The logger's own handle is taken quietly, another one is not.
send RXM_HANDLE logger
expect-no-msgbox for 300
send RXM_HANDLE 1234
expect-msgbox "Kestrel Error" "different hWnd"
send RXM_REQHANDLE
expect TXM_HANDLE
# Tones at both ends of the range are taken; outside it they are refused and the
# current one is reported.
send RXM_SETMARK 250
expect TXM_MARK 250
send RXM_SETMARK 3000
expect TXM_MARK 3000
send RXM_SETMARK 249
expect-msgbox "Kestrel Error" "Kestrel Mark tone must be between 250 and 3000Hz"
expect TXM_MARK 3000
send RXM_SETMARK 3001
expect-msgbox "Kestrel Error" "Kestrel Mark tone must be between 250 and 3000Hz"
expect TXM_MARK 3000
send RXM_SETSPACE 3001
expect-msgbox "Kestrel Error" "Kestrel Space tone must be between 250 and 3000Hz"
expect TXM_SPACE 2295
# RXM_SETHAM goes back to the stored tones (none stored: 2125), without a reply.
send RXM_SETHAM
expect-none TXM_MARK * for 300
send RXM_SETMARK 100
expect-msgbox "Kestrel Error" "Kestrel Mark tone must be between 250 and 3000Hz"
expect TXM_MARK 2125
send RXM_SETBAUD 7500
expect TXM_BAUD 4545
send RXM_REQPARA
expect TXM_SWITCH 197758
send RXM_SETSWITCH 4
expect TXM_SWITCH 4
# The first RXM_ENBFOCUS reports once more; the second does nothing.
send RXM_ENBFOCUS
expect TXM_WIDTH 15598040
expect TXM_SWITCH 4
expect TXM_PTTEVENT 0
expect TXM_PTTEVENT 0
expect TXM_FIGEVENT 0
send RXM_ENBFOCUS
expect-none TXM_FIGEVENT * for 500
# Push-to-talk: receiving at once and clearing are quiet, an unknown value is not.
send RXM_PTT 0
send RXM_PTT 4
expect-no-msgbox for 300
send RXM_PTT 3
expect-msgbox "Kestrel Error" "RXM_PTT Default received"
# Commands Kestrel ignores, an unknown code, and a notification code.
send RXM_WINPOS 5
send RXM_SETVIEW 1
send RXM_SETRESO 1
send RXM_ENBSHARED 1
send 30
expect-no-msgbox for 300
send 31
expect-msgbox "Kestrel Error" "N1MM Proc line 837 RXM defaulted at hexadecimal 1f"
send 40000
expect-no-msgbox for 500
send RXM_EXIT
expect-exit 0 within 3000
SCN

rc=$(run_loggersim "$work/out" --parent-title "DI1 N1MM Logger+" "$w\\Kestrel.exe" "$w\\link.scn")
grep -v 'TXM_LEVEL' "$work/out"
[ "$rc" = 0 ] || fail "the scenario ended with $rc"

# The handshake exactly, in order, before anything else.
handshake=$(grep -E '^ *[0-9]+ < ' "$work/out" | grep -v TXM_LEVEL | head -25 |
    sed -E 's/^ *[0-9]+ < //; s/^(TXM_THREAD|TXM_HANDLE) [0-9]+$/\1 N/')
report='TXM_WIDTH 15598040
TXM_BAUD 4545
TXM_MARK 2125
TXM_SPACE 2295
TXM_NOTCH 1812
TXM_DEFSHIFT 170
TXM_SWITCH 13478
TXM_VIEW 7425
TXM_RESO 33554492
TXM_LPF 3276870
TXM_PTTEVENT 0'
expected="$report
TXM_THREAD N
TXM_HANDLE N
TXM_START 0
$report"
[ "$handshake" = "$expected" ] || fail "handshake out of order:
$handshake"

# The heartbeat: about every 57 ms while Kestrel runs.
beats=$(grep -E '^ *[0-9]+ < TXM_LEVEL 2147450879$' "$work/out" | awk '{print $1}')
count=$(printf '%s\n' "$beats" | wc -l)
period=$(printf '%s\n' "$beats" | awk 'NR == 1 {first = $1} {last = $1} END {print int((last - first) / (NR - 1))}')
echo "heartbeat: $count beats, one every $period ms"
[ "$count" -ge 20 ] || fail "only $count heartbeats"
[ "$period" -ge 55 ] && [ "$period" -le 75 ] || fail "heartbeat every $period ms"

# What the commands stored: the switch word, and the squelch off.
ini_has N1MM_SWITCH=4 SquelchState=0
passed
