#!/usr/bin/env bash
# Contact recording under loggersim: "Save WAV file" opens the recording dialog, driven as
# a user would (a time over its limit and a missing folder are refused with their
# messages), OK arms it and the listener takes the contact port; "Save WAV file" again
# disarms and frees the port.
#
# The contact port is 12060 plus the digital-interface number, which Kestrel reads from
# the logger's window title: each run picks a number whose port is free, so runs on one
# machine do not meet.
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

port_in_use() {
    local hex
    hex=$(printf '%04X' "$1")
    awk 'NR > 1 { print $2 }' /proc/net/udp /proc/net/udp6 2>/dev/null | grep -qi ":$hex\$"
}
port_free() { ! port_in_use "$1"; }
di=
for d in $(shuf -e 1 2 3 4 5 6 7 8 9); do
    port_in_use $((12060 + d)) || { di=$d; break; }
done
[ -n "$di" ] || fail "every contact port from 12061 to 12069 is taken"
port=$((12060 + di))

cat >"$work/rec.scn" <<SCN
expect TXM_START 0 within 15000
expect-title "DI$di XX9XX Kestrel " within 5000
wait 600000
SCN
"$WINE" "$work/loggersim.exe" --parent-title "DI$di N1MM Logger+" "$w\\Kestrel.exe" \
    "$w\\rec.scn" </dev/null >"$work/rec.out" 2>/dev/null &
pid=$!
await "$work/rec.out" 'line 3: wait' 30

box() { wine_out "$automate" get-text '#32770' "$1"; }
set_box() { until_ok 10 wine_out "$automate" set-text '#32770' "$1" "$2" >/dev/null || fail "no box $1"; }
press_ok() { until_ok 10 wine_out "$automate" click '#32770' 1 >/dev/null || fail "no OK button"; }
# answer CAPTION TEXT: the message box with that caption shows TEXT; it is answered.
answer() {
    local got
    got=$(wine_out "$automate" msgbox "$1" 20 || true)
    grep -qxF "text: $2" <<<"$got" || fail "wanted \"$1\" saying \"$2\", got: $got"
}

until_ok 10 wine_out "$automate" command KESTREL 116 >/dev/null || fail "no Kestrel window"
until_ok 20 shows " 10" "$automate" get-text '#32770' 40092 || fail "the dialog did not open"
[ "$(box 40090)" = 'C:\' ] || fail "the folder box shows '$(box 40090)'"
[ "$(box 40093)" = " 01" ] || fail "RUN after shows '$(box 40093)'"

set_box 40092 36
press_ok
answer "Input Error" "Maximum value of time before is 35 seconds"
until_ok 10 shows " 10" "$automate" get-text '#32770' 40092 || fail "RUN before not restored"

set_box 40090 'Z:\no\such\folder'
press_ok
answer "Kestrel Info" "Directory is invalid or does not exist"

mkdir -p "$work/rec"
set_box 40090 "$w\\rec"
set_box 40092 8
set_box 40093 1
set_box 40094 3
set_box 40095 2
press_ok
until_ok 10 shows 0 "$automate" count-windows '#32770' || fail "the dialog stayed open"
until_ok 10 port_in_use "$port" || fail "nobody listens on port $port"

ini=$(tr -d '\r' <"$work/Kestrel.ini")
for line in RXwaveRUNtimebefore=0008 RXwaveRUNtimeafter=0001 RXwaveSnPtimebefore=0003 \
    RXwaveSnPtimeafter=0002 "RXsavewavpath=$w\\rec\\" RXwavsave=1; do
    grep -qxF "$line" <<<"$ini" || { echo "$ini"; fail "Kestrel.ini lacks $line"; }
done

# Disarmed from the menu: the listener lets the port go.
wine_out "$automate" command KESTREL 116 >/dev/null
until_ok 10 port_free "$port" || fail "port $port still taken after disarming"
grep -qxF RXwavsave=0 <(tr -d '\r' <"$work/Kestrel.ini") || fail "RXwavsave not 0 after disarming"

wine_out "$automate" close KESTREL >/dev/null || true
wait_exit "$pid" 20
rm -rf "$work"
echo "PASS"
