#!/usr/bin/env bash
# "Help PDF" opens Kestrel.pdf beside Kestrel.exe with the system's document opener: a
# .pdf handler registered in the prefix records what it is asked to open. Without the
# file Kestrel asks for it instead; with the file but no program for .pdf files (Wine's
# own association removed) it says so and where the file is.
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"
classes='HKCR'
unregister() {
    "$WINE" reg delete "$classes\\.pdf" /f </dev/null >/dev/null 2>&1 || true
    "$WINE" reg delete "$classes\\KestrelTest.Pdf" /f </dev/null >/dev/null 2>&1 || true
    leave_nothing_behind
}
trap unregister EXIT
unregister
quoted="${w//\\/\\\\}"   # the folder as a quoted scenario word

cat >"$work/help.scn" <<SCN
expect TXM_START 0 within 15000
expect-msgbox "Kestrel Request" "pdf file not in Kestrel folder\n Copy Kestrel.pdf to Kestrel.exe folder" within 10000
expect-msgbox "Kestrel Request" "No program on this computer opens .pdf files.\nThe manual is $quoted\\\\Kestrel.pdf" within 10000
expect-no-msgbox for 3000
SCN
start_scenario help "$work/help.out"
await "$work/help.out" '< TXM_START 0'
until_ok 10 wine_out "$automate" command KESTREL 104 >/dev/null || fail "no Kestrel window"
await "$work/help.out" 'line 3: expect-msgbox'
printf '%%PDF-1.4\n' >"$work/Kestrel.pdf"
wine_out "$automate" command KESTREL 104 >/dev/null
await "$work/help.out" 'line 4: expect-no-msgbox'
"$WINE" reg add "$classes\\.pdf" /ve /d KestrelTest.Pdf /f </dev/null >/dev/null 2>&1
"$WINE" reg add "$classes\\KestrelTest.Pdf\\shell\\open\\command" /ve \
    /d "C:\\windows\\system32\\cmd.exe /c echo %1>$w\\opened.txt" /f </dev/null >/dev/null 2>&1
wine_out "$automate" command KESTREL 104 >/dev/null
until_ok 15 test -s "$work/opened.txt" || fail "the .pdf handler was never started"
opened=$(tr -d '\r"' <"$work/opened.txt" | sed 's/ *$//')
finish "$work/help.out" "the scenario"
[ "${opened,,}" = "${w,,}\\kestrel.pdf" ] || fail "the handler was asked to open '$opened'"
passed
