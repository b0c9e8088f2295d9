#!/usr/bin/env bash
# The menu and the control panel under loggersim: squelch and AFC change the switch word
# the logger is told, the receive options, Top Most and the decode mode are stored, About
# shows the version, Save Text creates its file, Exit ends Kestrel (Help is
# kestrel_help's). At the next start Kestrel reports and shows what was stored.
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"
saved="${w//\\/\\\\}\\\\saved.txt"   # as a quoted scenario word

cat >"$work/menu.scn" <<SCN
expect TXM_START 0 within 15000
# Squelch On from the menu (the default switch word has it on): bit 7 cleared.
expect TXM_SWITCH 13350 within 15000
# The AFC button: bit 2 cleared as well.
expect TXM_SWITCH 13346 within 10000
open-file "$saved" within 10000
expect-exit 0 within 15000
SCN

start_scenario menu "$work/menu.out"
await "$work/menu.out" '< TXM_START 0'
menu 112
await "$work/menu.out" '< TXM_SWITCH 13350'
until_ok 10 wine_out "$automate" click KESTREL 40031 >/dev/null || fail "no AFC button"
# Two steps of the mode button from Selectiv: Spread, then Deep.
until_ok 10 wine_out "$automate" click KESTREL 40043 >/dev/null || fail "no mode button"
until_ok 10 shows Spread "$automate" get-text KESTREL 40043 || fail "mode caption"
wine_out "$automate" click KESTREL 40043 >/dev/null || fail "no mode button"
menu 110 119 120 121 122
until_ok 10 shows 1 "$automate" topmost KESTREL || fail "Top Most did not raise the window"
until_ok 10 shows "AFC off" "$automate" get-text KESTREL 40031 || fail "AFC caption"
until_ok 10 shows Deep "$automate" get-text KESTREL 40043 || fail "mode caption"
menu 105
until_ok 10 shows 2026.01a "$automate" get-text '#32770' 1001 ||
    fail "the About box shows '$(wine_out "$automate" get-text '#32770' 1001)'"
wine_out "$automate" msgbox "About Kestrel Modem" 5 >/dev/null || fail "no About box to close"
menu 115
await "$work/menu.out" '# line 7: expect-exit'
menu 106
finish "$work/menu.out" "the scenario"

ini_has Topmost=1 SquelchState=0 N1MM_SWITCH=13346 AFC_ON_OFF=1 Decodemode=3 CorrelateState=0 \
    CorrelateStateSame=0 Contest=0 NewsigNewline=1 "RXsavetext=$w\\saved.txt"
[ -f "$work/saved.txt" ] || fail "Save Text did not create its file"

# The next start reports the stored switch word and shows the stored state.
cat >"$work/again.scn" <<'SCN'
expect TXM_SWITCH 13346 within 15000
wait 3000
SCN
start_scenario again "$work/again.out"
await "$work/again.out" 'line 2: wait' 15
is 1 topmost KESTREL
is "AFC off" get-text KESTREL 40031
is Deep get-text KESTREL 40043
finish "$work/again.out" "the second start"
passed
