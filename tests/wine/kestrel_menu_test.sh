#!/usr/bin/env bash
# The menu and the control panel under loggersim. "Play WAV file": a file that is not WAV
# is refused with its message; the bundled sample plays through the receive chain and its
# text reaches the logger and the Save Text file; the file is remembered, and at the
# default window size the status bar then shows each of its texts whole. Squelch and AFC
# change the switch word the logger is told, the receive options, Top Most and the decode
# mode are stored, About shows the version, Exit ends Kestrel. At the next start
# Kestrel reports and shows what was stored, and its place, stored on no monitor, is
# replaced by one centred on the screen; the layout saves the place with four digits, a
# move with five. (Wine without a window manager parks a minimised window on the screen,
# not far off it, so the rule for minimised windows is left to the unit tests.) Then
# "Help PDF" opens Kestrel.pdf beside Kestrel.exe with the system's document opener: a
# .pdf handler registered in the prefix records what it is asked to open. Without the
# file Kestrel asks for it instead; with the file but no program for .pdf files (Wine's
# own association removed) it says so and where the file is.
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"
cp "$(dirname "$0")/../../samples/sample.wav" "$work/sample.wav"
printf 'not a sound file\n' >"$work/notes.wav"
classes='HKCR'
unregister() {
    "$WINE" reg delete "$classes\\.pdf" /f </dev/null >/dev/null 2>&1 || true
    "$WINE" reg delete "$classes\\KestrelTest.Pdf" /f </dev/null >/dev/null 2>&1 || true
    leave_nothing_behind
}
trap unregister EXIT
unregister

# Live capture runs until the file starts, so where the file falls in the receive chain's
# batches varies. The recording's first line, while the AFC settles in the fading, does not
# always survive that (nor does it print whole when Repeat Match mends a wrong first copy),
# so the check starts at its third line.
cat >"$work/menu.scn" <<SCN
expect TXM_START 0 within 15000
open-file "$quoted\\\\notes.wav" within 15000
expect-msgbox "Kestrel Error" "Sorry not a .wav file"
open-file "$quoted\\\\saved.txt" within 15000
open-file "$quoted\\\\sample.wav" within 15000
expect-text "W1AW 599 14 14 DL5XYZ" within 30000
expect-text "VE3ABC 599 14 14 DL5XYZ" within 30000
# Squelch On from the menu (the default switch word has it on): bit 7 cleared.
expect TXM_SWITCH 13350 within 15000
# The AFC button: bit 2 cleared as well.
expect TXM_SWITCH 13346 within 10000
expect-exit 0 within 15000
SCN

started menu "$work/menu.out"
menu 114   # Play WAV file
await "$work/menu.out" 'message box "Kestrel Error" answered'
menu 115   # Save Text
await "$work/menu.out" '# line 5: open-file'
menu 114
await "$work/menu.out" 'line 9: expect TXM_SWITCH'
# The bar's width, then each part: left, right, the width its text takes, the text. Wine's
# control draws a text 4 pixels in from the part's left edge and 1 from its right.
bar=$(auto status-bar KESTREL 2333)
echo "status bar: $(tr '\n' '|' <<<"$bar")"
sed -n 2p <<<"$bar" | grep -q 'Hz$' || fail "the bar's first part is not the tuning offset"
sed -n 3p <<<"$bar" | grep -q 'S/N$' || fail "the bar's second part is not the signal-to-noise figure"
awk 'NR == 1 {w = $1; next} NF > 3 && ($2 > w || $2 - $1 < $3 + 5) {bad = 1} END {exit bad}' \
    <<<"$bar" || fail "the status bar cuts a text"
menu 112
await "$work/menu.out" '< TXM_SWITCH 13350'
click KESTREL 40031
# Two steps of the mode button from Selectiv: Spread, then Deep.
click KESTREL 40043
is Spread get-text KESTREL 40043
click KESTREL 40043
menu 110 119 120 121 122
kept_switches() { is 1 topmost KESTREL; is "AFC off" get-text KESTREL 40031; is Deep get-text KESTREL 40043; }
kept_switches
menu 105
is 2026.01a get-text '#32770' 1001
click "#32770|About Kestrel Modem" 1
await "$work/menu.out" '# line 12: expect-exit'
menu_exit "$work/menu.out" "the scenario"

ini_has Topmost=1 SquelchState=0 N1MM_SWITCH=13346 AFC_ON_OFF=1 Decodemode=3 CorrelateState=0 \
    CorrelateStateSame=0 Contest=0 NewsigNewline=1 "RXsavetext=$w\\saved.txt" "RXopenwav=$w\\sample.wav"
grep -qF "VE3ABC 599 14 14 DL5XYZ" "$work/saved.txt" || fail "Save Text kept: $(cat "$work/saved.txt")"

# The next start: the stored state, the place, then Help.
setting() { ini | grep "^$1=" | cut -d= -f2; }
saved_at() { [ "$(setting left) $(setting top)" = "$1" ]; }
# No size stored: 688 x 566, centred on the 1024 x 768 screen at 168,101.
sed -i 's/^left=.*\r$/left=5000\r/; s/^top=.*\r$/top=4000\r/; /^right=/d; /^bottom=/d' "$work/Kestrel.ini"
cat >"$work/again.scn" <<SCN
expect TXM_SWITCH 13346 within 15000
expect-msgbox "Kestrel Request" "pdf file not in Kestrel folder\n Copy Kestrel.pdf to Kestrel.exe folder" within 30000
expect-msgbox "Kestrel Request" "No program on this computer opens .pdf files.\nThe manual is $quoted\\\\Kestrel.pdf" within 10000
expect-no-msgbox for 3000
SCN
start_scenario again "$work/again.out"
await "$work/again.out" 'line 2: expect-msgbox' 15
kept_switches

until_ok 10 saved_at "0168 0101" || fail "layout saved $(setting left),$(setting top)"
read -r left top right bottom <<<"$(auto rect KESTREL)"
echo "window at $left,$top to $right,$bottom"
[ "$left $top" = "168 101" ] || fail "the window was not centred: $left,$top"
[ "$(setting right)" = "$(printf '%04d' $((right - left)))" ] || fail "layout saved width $(setting right)"
[ "$(setting bottom)" = "$(printf '%04d' $((bottom - top)))" ] || fail "layout saved height $(setting bottom)"
auto move KESTREL 300 200
until_ok 10 saved_at "00300 00200" || fail "move saved $(setting left),$(setting top)"
[ "$(setting right)" = "$(printf '%05d' $((right - left)))" ] || fail "move saved width $(setting right)"

menu 104
await "$work/again.out" 'line 3: expect-msgbox'
printf '%%PDF-1.4\n' >"$work/Kestrel.pdf"
menu 104
await "$work/again.out" 'line 4: expect-no-msgbox'
"$WINE" reg add "$classes\\.pdf" /ve /d KestrelTest.Pdf /f </dev/null >/dev/null 2>&1
"$WINE" reg add "$classes\\KestrelTest.Pdf\\shell\\open\\command" /ve \
    /d "C:\\windows\\system32\\cmd.exe /c echo %1>$w\\opened.txt" /f </dev/null >/dev/null 2>&1
menu 104
until_ok 15 test -s "$work/opened.txt" || fail "the .pdf handler was never started"
opened=$(tr -d '\r"' <"$work/opened.txt" | sed 's/ *$//')
finish "$work/again.out" "the second start"
[ "${opened,,}" = "${w,,}\\kestrel.pdf" ] || fail "the handler was asked to open '$opened'"
passed
