#!/usr/bin/env bash
# loggersim judges every Windows test, so it must fail a scenario whose expectations
# Kestrel does not meet, one line for each, and refuse a scenario with a mistake in it.
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

# run_loggersim OUT ARGS...: runs loggersim with its output in OUT; prints its exit code.
run_loggersim() {
    local out=$1 rc=0
    shift
    "$WINE" "$work/loggersim.exe" "$@" </dev/null >"$out" 2>/dev/null || rc=$?
    echo "$rc"
}

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
[ "$(wine_out "$automate" count-windows KESTREL)" = 0 ] || fail "a Kestrel remains"
passed
