#!/usr/bin/env bash
# Contact recording under loggersim. "Save WAV file" opens the recording dialog, driven as
# a user would: a time over its limit and a missing folder are refused with their
# messages, OK arms. A peer's RTTY (minimodem) plays into "Line In" while contacts arrive
# as N1MM Logger+ announces them: a RUN and an SnP contact are saved when their second
# comes, with their lengths, and kestrel-cli reads from the RUN file the words played in
# its stretch. A contact of another radio and one without <mode> are not saved; hostile
# callsigns give files inside the folder. "Save WAV file" again disarms and frees the port.
#
# The contact port is 12060 plus the digital-interface number, which Kestrel reads from
# the logger's window title: each run picks a number whose port is free, so runs on one
# machine do not meet.
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
    port_free $((12060 + d)) && { di=$d; break; }
done
[ -n "$di" ] || fail "every contact port from 12061 to 12069 is taken"
port=$((12060 + di))

cat >"$work/rec.scn" <<SCN
expect TXM_START 0 within 15000
expect-title "DI$di XX9XX Kestrel " within 5000
wait 600000
SCN
start_scenario rec "$work/rec.out" --parent-title "DI$di N1MM Logger+"
await "$work/rec.out" 'line 3: wait' 30

set_box() { until_ok 10 auto set-text '#32770' "$1" "$2" >/dev/null || fail "no box $1"; }
# refused ID TEXT CAPTION MESSAGE: OK with TEXT in the box gets that message box, which is answered.
refused() {
    local got
    set_box "$1" "$2"; click '#32770' 1
    got=$(auto msgbox "$3" 20 || true)
    grep -qxF "text: $4" <<<"$got" || fail "wanted \"$3\" saying \"$4\", got: $got"
}

menu 116
until_ok 20 shows " 10" "$automate" get-text '#32770' 40092 || fail "the dialog did not open"
is 'C:\' get-text '#32770' 40090
is " 01" get-text '#32770' 40093

refused 40092 36 "Input Error" "Maximum value of time before is 35 seconds"
is " 10" get-text '#32770' 40092   # RUN before restored
refused 40090 'Z:\no\such\folder' "Kestrel Info" "Directory is invalid or does not exist"

rec=$work/rec
mkdir -p "$rec"
set_box 40090 "$w\\rec"
for box in 40092:8 40093:1 40094:3 40095:2; do set_box "${box%:*}" "${box#*:}"; done
click '#32770' 1
is 0 count-windows '#32770'
until_ok 10 port_in_use "$port" || fail "nobody listens on port $port"
ini_has RXwaveRUNtimebefore=0008 RXwaveRUNtimeafter=0001 RXwaveSnPtimebefore=0003 \
    RXwaveSnPtimeafter=0002 "RXsavewavpath=$w\\rec\\" RXwavsave=1

# contact CALL [RADIO] [RUN] [TAG-LEFT-OUT]: a contact logged at $logged, as N1MM Logger+
# announces it.
contact() {
    local xml=$'<?xml version="1.0" encoding="utf-8"?>\r\n<contactinfo>\r\n' tag value
    for tag in app contestname contestnr timestamp mycall band rxfreq txfreq operator mode \
        call countryprefix snt sntnr rcv rcvnr radionr IsRunQSO StationName ID; do
        case $tag in
        app) value=N1MM ;; contestname) value=CQ-WW-RTTY ;; contestnr) value=12 ;;
        timestamp) value=$(date -u -d "@$logged" '+%Y-%m-%d %H:%M:%S') ;;
        mycall) value=XX1XX ;; band) value=14 ;; rxfreq | txfreq) value=1408500 ;;
        operator) value= ;; mode) value=RTTY ;; call) value=$1 ;; countryprefix) value=XX ;;
        snt | rcv) value=599 ;; sntnr | rcvnr) value=14 ;; radionr) value=${2:-$di} ;;
        IsRunQSO) value=${3:-1} ;; StationName) value=SHACK ;; ID) value=5d2ab6e0c1 ;;
        esac
        [ "$tag" = "${4:-}" ] || xml+=$'\t'"<$tag>$value</$tag>"$'\r\n'
    done
    # One write, one datagram: printf would send each line on its own.
    printf '%s</contactinfo>\r\n' "$xml" >"$work/datagram"
    cat "$work/datagram" >"/dev/udp/127.0.0.1/$port"
}
# since SECONDS: true once that long has passed since the words began to play.
since() { awk -v p="$played" -v n="$(date +%s.%N)" -v s="$1" 'BEGIN { exit !(n - p >= s) }'; }
# word_at SECONDS: the number of the word played that long after they began.
word_at() { awk -v s="$1" 'BEGIN { w = s / 0.825; print (w < 0 ? int(w) - 1 : int(w)) }'; }

# Words whose last letter tells when they were played: 5 characters, 0.825 s each.
words=$(printf 'QSO%s ' {A..Z})
rtty_wav "$work/air.wav" 45.45 "$words"
capture_open 30
played=$(date +%s.%N)
feed "$work/air.wav" &
feeder=$!
# Ten seconds into the words, contacts are logged.
until_ok 20 since 10.5
logged=$(date +%s)
contact XX9XX
contact XX8SNP "" 0
contact OTHER $((di % 9 + 1))
contact NOMODE "" 1 mode
contact '..\..\X'
contact 'A:B*C?'
contact "$(printf 'W%.0s' {1..300})"
stamp=$(date -u -d "@$logged" +%Y%m%d_%H%M%SZ)
run="$rec/$stamp 14 XX9XX.wav"
snp="$rec/$stamp 14 XX8SNP.wav"

until_ok 15 [ -f "$run" ] || { ls "$rec"; fail "no RUN recording"; }
appeared=$(date +%s)
((appeared >= logged + 1 && appeared <= logged + 4)) ||
    fail "the RUN recording came at $appeared, for the second $((logged + 1))"
until_ok 15 [ -f "$snp" ] || fail "no SnP recording"
sized() { [ "$(stat -c %s "$1")" = "$2" ]; }   # read afresh at every try
until_ok 10 sized "$run" $((44 + 2 * 9 * 8000)) || fail "RUN: $(stat -c %s "$run") bytes"
until_ok 10 sized "$snp" $((44 + 2 * 5 * 8000)) || fail "SnP: $(stat -c %s "$snp") bytes"
wait "$feeder" || true

# What the RUN file holds: the words played from 8 s before the contact's second to the
# end of it (give or take a word for the sound system's delays).
heard=$(wine_out "$KESTREL_CLI" decode --repeat-match off "$(winpath "$run")" | tr -s ' \n' '  ')
echo "RUN recording: $heard"
first=$(word_at "$(awk -v l="$logged" -v p="$played" 'BEGIN { print l - 8 - p }')")
last=$(word_at "$(awk -v l="$logged" -v p="$played" 'BEGIN { print l + 1 - p }')")
letters=ABCDEFGHIJKLMNOPQRSTUVWXYZ
found=0
for word in $heard; do
    [[ $word =~ ^QSO([A-Z])$ ]] || continue
    at=${letters%%"${BASH_REMATCH[1]}"*}
    at=${#at}
    ((at >= first - 2 && at <= last + 1)) || fail "$word was played outside the saved stretch ($first..$last)"
    found=$((found + 1))
done
((found >= 5)) || fail "only $found whole words in the RUN recording"

# Only the five expected files, all in the folder.
names=$(cd "$rec" && ls | sort)
want=$(printf '%s\n' "$stamp 14 ----X.wav" "$stamp 14 A-B-C-.wav" \
    "$stamp 14 $(printf 'W%.0s' {1..38}).wav" "$stamp 14 XX8SNP.wav" "$stamp 14 XX9XX.wav" | sort)
[ "$names" = "$want" ] || fail "the folder holds: $names"
stray=$(find "$(dirname "$work")" -name '*.wav' -newer "$work/rec.scn" ! -path "$rec/*" ! -path "$work/air.wav")
[ -z "$stray" ] || fail "written outside the folder: $stray"

# Disarmed from the menu: the listener lets the port go.
menu 116
until_ok 10 port_free "$port" || fail "port $port still taken after disarming"
awaits_ini RXwavsave=0

auto close KESTREL >/dev/null || true
wait_exit "$pid" 60
passed
