#!/usr/bin/env bash
# loggersim judges every Windows test, so it must fail a scenario whose expectations
# Kestrel does not meet, one line for each, and refuse a scenario with a mistake in it.
# It starts Kestrel with "-r -h<its window>" and owns the shared block "MMTTY", which
# Kestrel finds (the failing scenario's first line holds). Started by loggersim without
# the block, Kestrel calls itself standalone, loggersim reports it, and Kestrel ends with
# a code that says it did not run, with no window left and no settings written.
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

cat >"$work/fail.scn" <<'SCN'
expect TXM_START 0 within 15000
shared-bytes 0 0b000000
send RXM_SETMARK 3001
expect TXM_MARK 3001 within 1000
expect-msgbox "Kestrel Error" "wrong text" within 3000
expect-exit within 300
expect-text "CQ" within 300
SCN
rc=$(run_loggersim "$work/fail.out" "$w\\Kestrel.exe" "$w\\fail.scn")
echo "failing scenario: exit $rc"
grep '^FAIL' "$work/fail.out" || true
[ "$rc" = 1 ] || fail "the failing scenario ended with $rc"
grep -qE 'started .*Kestrel\.exe -r -h[0-9A-F]+ \(process [0-9]+\)' "$work/fail.out" ||
    fail "Kestrel was not started with -r -h<hex>"
# Lines 1 and 3 hold; every other line fails, each with a line of its own.
for line in 2 4 5 6 7; do
    grep -q "^FAIL line $line: " "$work/fail.out" || fail "line $line did not fail"
done
[ "$(grep -c '^FAIL line' "$work/fail.out")" = 5 ] || fail "a line that holds failed"
grep -q 'Kestrel ended with exit code' "$work/fail.out" || fail "Kestrel was not ended"

printf 'sned RXM_EXIT\nexpect TXM_MARKS\n' >"$work/bad.scn"
rc=$(run_loggersim "$work/bad.out" "$w\\Kestrel.exe" "$w\\bad.scn")
cat "$work/bad.out"
[ "$rc" = 2 ] || fail "a scenario with mistakes ended with $rc"
grep -qF "line 1: unknown command 'sned'" "$work/bad.out" || fail "line 1 not reported"
grep -qF "line 2: 'TXM_MARKS' is not an RXM_/TXM_ name or a code number" "$work/bad.out" ||
    fail "line 2 not reported"

rm -f "$work/Kestrel.ini"
printf 'expect-no-msgbox "Kestrel Error" for 5000\n' >"$work/start.scn"
rc=$(run_loggersim "$work/without.out" --no-block "$w\\Kestrel.exe" "$w\\start.scn")
cat "$work/without.out"
[ "$rc" = 1 ] || fail "without the shared block loggersim ended with $rc"
grep -qF 'FAIL line 1: expect-no-msgbox "Kestrel Error" for 5000: message box "Kestrel Error" "Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32" appeared (answered with OK)' \
    "$work/without.out" || fail "the standalone message was not reported"
# A refusal to start is not a success to whoever started Kestrel.
grep -q 'Kestrel ended with exit code 1' "$work/without.out" ||
    fail "Kestrel did not end after OK with exit code 1"
[ "$(wine_out "$automate" count-windows KESTREL)" = 0 ] || fail "a Kestrel remains"
[ ! -e "$work/Kestrel.ini" ] || fail "the standalone start wrote settings"
passed
