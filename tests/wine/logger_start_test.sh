#!/usr/bin/env bash
# Started by loggersim, which owns the shared block "MMTTY", Kestrel does not call itself
# standalone; started by loggersim without the block, it does, loggersim reports it, and
# Kestrel ends with a code that says it did not run, with no window left and no settings
# written.
rig=$1 kestrel=$2 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"
cat >"$work/start.scn" <<'SCN'
# Kestrel finds the logger's shared block.
expect-no-msgbox "Kestrel Error" for 5000
SCN

rc=0
"$WINE" "$work/loggersim.exe" "$w\\Kestrel.exe" "$w\\start.scn" </dev/null >"$work/with.out" \
    2>/dev/null || rc=$?
cat "$work/with.out"
[ "$rc" = 0 ] || fail "with the shared block loggersim ended with $rc"
grep -qE 'started .*Kestrel\.exe -r -h[0-9A-F]+ \(process [0-9]+\)' "$work/with.out" ||
    fail "Kestrel was not started with -r -h<hex>"

rm -f "$work/Kestrel.ini"
rc=0
"$WINE" "$work/loggersim.exe" --no-block "$w\\Kestrel.exe" "$w\\start.scn" </dev/null \
    >"$work/without.out" 2>/dev/null || rc=$?
cat "$work/without.out"
[ "$rc" = 1 ] || fail "without the shared block loggersim ended with $rc"
grep -qF 'FAIL line 2: expect-no-msgbox "Kestrel Error" for 5000: message box "Kestrel Error" "Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32" appeared (answered with OK)' \
    "$work/without.out" || fail "the standalone message was not reported"
# A refusal to start is not a success to whoever started Kestrel.
grep -q 'Kestrel ended with exit code 1' "$work/without.out" ||
    fail "Kestrel did not end after OK with exit code 1"
[ "$(wine_out "$3" count-windows KESTREL)" = 0 ] || fail "a Kestrel window remains"
[ ! -e "$work/Kestrel.ini" ] || fail "the standalone start wrote settings"
passed
