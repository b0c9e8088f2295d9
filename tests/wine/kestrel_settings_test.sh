#!/usr/bin/env bash
# The Settings dialog driven as a user would, under loggersim. First round (Settings
# menu): devices, channels, tone button, Swap, speed and width, with a spacing that is
# too wide: the message, the tones kept, everything else applied. Second round (the
# logger's RXM_SHOWSETUP): good tones. A transmission (three times over) then leaves on
# the left channel only, at 75 baud with the swapped tones, and the wider spectrum widens
# the window.
# Third round (the panel's Setup button): FSK TX with its port dialog cancelled keeps
# DOOK, AFSK TX opens the PTT dialog; Cancel; the next opening still shows AFSK pending.
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

copies=3
{
    cat <<'SCN'
expect TXM_START 0 within 15000
expect-msgbox "Kestrel Error" " Spacing between tones must be 2750Hz or less" within 180000
send RXM_SHOWSETUP
send RXM_SHOWSETUP
# The test presses the AFC button once the second round is applied.
expect TXM_SWITCH 13474 within 180000
SCN
    air_texts $copies 5000
    echo "expect-exit 0 within 180000"
} >"$work/settings.scn"

started settings "$work/out"
width_before=$(auto rect KESTREL | awk '{print $3 - $1}')

# Round one, from the menu.
open_settings
lists "$settings" 40001 "Line In"
lists "$settings" 40006 Speakers
is Low get-text "$settings" 40045
click "$settings" 40045
is 1275 get-text "$settings" 40007
is High get-text "$settings" 40045
click "$settings" 40045
is 2125 get-text "$settings" 40007
is 2295 get-text "$settings" 40008
click "$settings" 40011
is 2295 get-text "$settings" 40007
is 2125 get-text "$settings" 40008
choose "$settings" 40001 "Line In"
choose "$settings" 40006 Speakers
for id in 40004 40051 40049; do click "$settings" $id; done
for id in 40004 40049; do is 1 checked "$settings" $id; done
auto set-text "$settings" 40046 1000
auto set-text "$settings" 40007 2000
auto set-text "$settings" 40008 4800
click "$settings" 1
await "$work/out" 'message box "Kestrel Error" answered'
awaits_ini "Baud Rate=2" "RXnameid=Line In" RXChannel=2 "TXnameid=Speakers" TXChannel=1 Markfrequency=2125 \
    Spacefrequency=2295 FFTDisplay=0271 TXmode=1

# Round two, from the logger (twice): the pending channels and speed show again.
appears "$settings" 40001   # RXM_SHOWSETUP opened it
is 1 count-windows "$settings"   # asked for twice, shown once
for id in 40004 40051 40049; do is 1 checked "$settings" $id; done
is " 2125" get-text "$settings" 40007
is " 1656" get-text "$settings" 40046   # 271 bins at 19800 samples/s
click "$settings" 40011
click "$settings" 1
awaits_ini Markfrequency=2295 Spacefrequency=2125
width_after=$(auto rect KESTREL | awk '{print $3 - $1}')
echo "window width $width_before -> $width_after"
[ "$width_after" -gt "$width_before" ] || fail "the wider spectrum did not widen the window"

record_air 2
# The sound output is opened again at the new speed's rate; a reopen ends a transmission,
# so the transmission starts after it.
output_at_19800() { pactl list sink-inputs | grep -q 's16le 2ch 19800Hz'; }
until_ok 30 output_at_19800 ||
    { pactl list sink-inputs; fail "the sound output does not run at 19800 samples/s"; }
click KESTREL 40031   # the AFC button: the scenario's go
await "$work/out" '< TXM_PTTEVENT 1' 30
await "$work/out" 'expect-exit 0' 90

# Round three, from the panel's Setup button.
click KESTREL 40042
appears "$settings" 40001   # Setup opened it
is 1 checked "$settings" 40055
click "$settings" 40058
click '#32770|FSK COM Port Setup' 2
is 1 checked "$settings" 40055
is 0 checked "$settings" 40058
click "$settings" 40054
click '#32770|Sound Card PTT Setup' 40066
click '#32770|Sound Card PTT Setup' 1
awaits_ini PTT=0 PTTCOMport=NONE
click "$settings" 2
is 0 count-windows "$settings"   # Cancel closed it
ini_has TXmode=1
menu 111
is 1 checked "$settings" 40054
click "$settings" 2
is 0 count-windows "$settings"   # Cancel closed it
menu_exit "$work/out" "the scenario"
stop_air

# The left channel carries the text at 75 baud with mark 2295 and space 2125; the right
# one is silent.
sox "$work/air.wav" "$work/left.wav" remix 1
sox "$work/air.wav" "$work/right.wav" remix 2
air_copies_decode "$work/left.wav" $copies 'CQ TEST|K1ABC' --baudot --stopbits 1.5 75 -M 2295 -S 2125
peak=$(sox "$work/right.wav" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
echo "right channel peak $peak"
awk -v p="$peak" 'BEGIN {exit !(p < 0.01)}' || fail "the right channel carries $peak"
rm -rf "$work"

# Settings that name sound devices which are gone: Kestrel starts, the dialog lists what
# is there, and OK stores a listed device, keeping the rest.
with_loggersim "$kestrel" "$loggersim"
printf '[Kestrel Modem]\r\nRXnameid=Old Card\r\nTXnameid=Old Speakers\r\nMarkfrequency=1275\r\nSpacefrequency=1445\r\nTXmode=0\r\n' \
    >"$work/Kestrel.ini"
cat >"$work/gone.scn" <<'SCN'
expect TXM_START 0 within 15000
expect-exit 0 within 180000
SCN
start_scenario gone "$work/out"
await "$work/out" 'line 2: expect-exit'
open_settings
choose "$settings" 40006 Speakers
is High get-text "$settings" 40045
click "$settings" 1
awaits_ini TXnameid=Speakers Markfrequency=1275 Spacefrequency=1445 TXmode=0
grep -qxF "RXnameid=Old Card" <<<"$(ini)" && fail "the input list had a selection but Old Card was kept"
menu_exit "$work/out" "the start with gone devices"
passed
