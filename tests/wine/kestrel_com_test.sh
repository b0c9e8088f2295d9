#!/usr/bin/env bash
# Kestrel on the rig's virtual COM5, every mode set up through its dialogs as a user
# would, transmissions driven by loggersim:
#  - FSK on DTR with PTT on RTS: "RYRY..." keyed, each element's length read from the
#    modem-line log; PTT on before the first element and off after the last.
#  - COM5 unplugged while its dialog is open: OK shows the message and keeps the dialog;
#    Cancel; the stored port is kept.
#  - AFSK with PTT on RTS: RTS set before the first tone and cleared after the last.
#  - TinyFSK at 50 baud, mark low: the keyer is asked its set-up and corrected, then a
#    transmission goes through it and its status bytes end it.
source "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)

with_loggersim "$kestrel" "$loggersim"
fsk='#32770|FSK COM Port Setup'
ptt='#32770|Sound Card PTT Setup'
tiny='#32770|Select TinyFSK Port'
open_fsk() { open_settings; click "$settings" 40058; appears "$fsk" 40060; }
keyer=
trap '[ -z "$keyer" ] || kill "$keyer" 2>/dev/null || true
    bash "$here/rig.sh" serial-start "$rig" >/dev/null 2>&1 || true; leave_nothing_behind' EXIT
lines() { [ -f "$MODEMLINE_LOG" ] && wc -l <"$MODEMLINE_LOG" || echo 0; }

cat >"$work/com.scn" <<'SCN'
expect TXM_START 0 within 15000
# FSK: the test's go is the AFC button. The logger's shared block names the ports.
expect TXM_SWITCH 13474 within 180000
shared-bytes 132 434f4d3500
shared-bytes 140 434f4d3500
text ryryryryry ryryryryry{TX}
expect TXM_PTTEVENT 1 within 5000
expect-text "RYRYRYRYRY RYRYRYRYRY" within 15000
send RXM_PTT 1
expect TXM_PTTEVENT 0 within 5000
expect-msgbox "Kestrel FSK Error" within 180000
# AFSK with PTT.
expect TXM_SWITCH 13478 within 180000
shared-bytes 132 4e4f4e4500
shared-bytes 140 434f4d3500
text ryry{TX}
expect TXM_PTTEVENT 1 within 5000
expect-text "RYRY" within 15000
send RXM_PTT 1
expect TXM_PTTEVENT 0 within 5000
# TinyFSK.
expect TXM_SWITCH 13474 within 180000
shared-bytes 132 434f4d3500
shared-bytes 140 4e4f4e4500
text ryry{TX}
expect-text "RYRY" within 15000
send RXM_PTT 1
expect TXM_PTTEVENT 0 within 10000
expect-exit 0 within 180000
SCN

# The AFSK below is recorded from "Speakers": named, or the Settings dialog would pick the
# output at the index the input list matched.
printf '[Kestrel Modem]\r\nTXnameid=Speakers\r\n' >"$work/Kestrel.ini"
started com "$work/out"

# FSK on DTR, normal, PTT on RTS.
open_fsk
choose "$fsk" 40060 COM5
click "$fsk" 40067   # PTT DTR: moved to RTS, DTR keys
is 0 enabled "$fsk" 40067
is 1 checked "$fsk" 40068
click "$fsk" 1
is 1 checked "$settings" 40058
click "$settings" 1
awaits_ini TXmode=3 FSKCOMport=COM5 PTTCOMport=COM5 DTRorRTSorTxD=0 NORMorINVERT=0 PTT=2
first=$(($(lines) + 1))
click KESTREL 40031
await "$work/out" 'line 11: expect-msgbox' 30
python3 "$here/fsk_elements.py" "$MODEMLINE_LOG" "$first" 22 >"$work/elements"
read -r _ count _ median _ p5 _ p95 _ least _ most <"$work/elements"
read -r _ rts_on key_first key_last rts_off < <(tail -1 "$work/elements")
echo "FSK 45.45 baud: $count elements, median $median ms (5% $p5, 95% $p95, $least..$most)"
echo "FSK PTT on $rts_on s, keying $key_first..$key_last s, PTT off $rts_off s"
[ "$count" -ge 100 ] || fail "only $count elements keyed"
awk -v m="$median" 'BEGIN {exit !(m > 21.2 && m < 22.8)}' || fail "the elements last $median ms"
awk -v a="$rts_on" -v b="$key_first" -v c="$key_last" -v d="$rts_off" \
    'BEGIN {exit !(a >= 0 && a <= b && c <= d)}' || fail "PTT does not enclose the keying"

# COM5 goes away while its dialog is open.
open_fsk
bash "$here/rig.sh" serial-stop "$rig"
click "$fsk" 1
await "$work/out" 'message box "Kestrel FSK Error" answered'
grep -a 'caption\|text' "$work/out" | grep -a 'FSK' | tail -1 || true
appears "$fsk" 40060   # still open
click "$fsk" 2
is 1 checked "$settings" 40058
click "$settings" 2
bash "$here/rig.sh" serial-start "$rig"
ini_has FSKCOMport=COM5 TXmode=3

# AFSK with PTT on RTS.
open_settings
click "$settings" 40054
appears "$ptt" 40060
choose "$ptt" 40060 COM5
click "$ptt" 40068
click "$ptt" 1
click "$settings" 1
awaits_ini TXmode=0 PTT=2 PTTCOMport=COM5 FSKCOMport=NONE
first=$(($(lines) + 1))
record_air 1
# The recording's first sample on the wall clock: once half a second is written, now
# less what the file holds. What is still in flight between the sink and the file makes
# this uncertain by some tens of milliseconds, so the lead may fall short by 50 ms.
recorded() { [ "$(stat -c %s "$work/air.wav" 2>/dev/null || echo 0)" -gt 48044 ]; }
until_ok 10 recorded || fail "no recording"
start=$(awk -v now="$(date +%s.%N)" -v size="$(stat -c %s "$work/air.wav")" \
    'BEGIN {printf "%.6f", now - (size - 44) / 96000}')
click KESTREL 40031
await "$work/out" 'line 22: expect TXM_SWITCH' 30
sleep 0.5
stop_air
read -r onset ending < <(python3 "$here/air_gaps.py" "$work/air.wav" |
    awk -v s="$start" '{printf "%.3f %.3f\n", s + $1, s + $2}') || fail "no tone on Speakers"
awaits_ini "TXnameid=Speakers"
rts=$(tail -n +"$first" "$MODEMLINE_LOG" | awk '{print $1, $4}')
rts_on=$(awk '$2 == "RTS=1" {print $1; exit}' <<<"$rts")
rts_off=$(awk '$2 == "RTS=0" {t = $1} END {print t}' <<<"$rts")
echo "AFSK PTT on $rts_on, tones $onset..$ending, PTT off $rts_off"
[ -n "$rts_on" ] && [ -n "$rts_off" ] || fail "RTS was not switched"
awk -v a="$rts_on" -v b="$onset" -v c="$ending" -v d="$rts_off" \
    'BEGIN {printf "PTT leads the first tone by %.3f s and trails the last by %.3f s\n", b - a, d - c;
            exit !(a < b + 0.05 && c < d)}' || fail "PTT does not enclose the tones"
tail -n +"$first" "$MODEMLINE_LOG" | grep -q 'DTR=1' && fail "DTR was touched in AFSK"

# TinyFSK at 50 baud, mark low: the keyer says 45 baud, mark high.
python3 "$here/tiny_keyer.py" "$KESTREL_COM_PEER" "$work/keyer.log" &
keyer=$!
open_settings
click "$settings" 40048
click "$settings" 40057
appears "$tiny" 40060
choose "$tiny" 40060 COM5
click "$tiny" 40072
click "$tiny" 1
click "$settings" 1
awaits_ini TXmode=4 FSKCOMport=COM5 PTTCOMport=NONE Markpolarity=L "Baud Rate=1"
await "$work/keyer.log" '~1' 20   # the keyer set up
[ "$(cat "$work/keyer.log")" = '~?~5~1' ] || fail "the keyer heard $(cat "$work/keyer.log"), not ~? ~5 ~1"
click KESTREL 40031
await "$work/out" 'line 29: expect-exit' 40
echo "keyer heard: $(cat "$work/keyer.log")"
grep -qF '[RYRY' "$work/keyer.log" || fail "the keyer was not sent the text"
grep -qF '(d)\' "$work/keyer.log" || fail "the transmission did not end at the third status byte after the \"!\""
menu_exit "$work/out" "the scenario"
passed
