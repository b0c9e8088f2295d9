#!/usr/bin/env bash
# loggersim against the fake engine: the handshake is logged, commands and text are sent,
# replies, message boxes, the window title, the open-file dialog and the exit are checked;
# a scenario with wrong expectations fails with one line for each; a scenario with a
# mistake does not run.
rig=$1 automate=$3 loggersim=$4 fake=$5
source "$(dirname "$0")/lib.sh"

work=$(mktemp -d "$rig/test.XXXXXX")
cp "$loggersim" "$work/loggersim.exe"
cp "$fake" "$work/fake.exe"
touch "$work/tone 1.wav"
w=$(winpath "$work")
wav="${w//\\/\\\\}\\\\tone 1.wav"   # as a quoted scenario word

# run_loggersim OUT ARGS...: runs loggersim with its output in OUT; prints its exit code.
run_loggersim() {
    local out=$1 rc=0
    shift
    "$WINE" "$work/loggersim.exe" "$@" </dev/null >"$out" 2>/dev/null || rc=$?
    echo "$rc"
}

cat >"$work/pass.scn" <<SCN
# The fake engine's handshake
expect TXM_THREAD * within 10000
expect TXM_HANDLE
expect TXM_START 0
shared-bytes 0 0a000000
expect-title "fake engine for DI3 N1MM Logger+"
# The logger's own handle is taken, another one is not
send RXM_HANDLE logger
expect-no-msgbox for 300
send RXM_HANDLE 1234
expect-msgbox "Kestrel Error" "different hWnd"
send RXM_REQHANDLE
expect TXM_HANDLE
# A mark in range is taken; one below is refused with a message and the mark stays
send RXM_SETMARK 2000
expect TXM_MARK 2000
send RXM_SETMARK 249
expect-msgbox "Kestrel Error" "Kestrel Mark tone must be between 250 and 3000Hz"
expect TXM_MARK 2000
expect-none TXM_MARK for 300
text CQ TEST{CR}
expect-text "CQ TEST\r"
send RXM_SHOWSETUP
open-file "$wav"
expect-text "$wav\r"
send RXM_EXIT 5
expect-exit 5 within 3000
SCN
t0=$(date +%s%N)
rc=$(run_loggersim "$work/pass.out" --grandparent-title "DI3 N1MM Logger+" \
    --log "$w\\pass.log" "$w\\fake.exe" "$w\\pass.scn")
echo "passing scenario: exit $rc after $(( ($(date +%s%N) - t0) / 1000000 )) ms"
cat "$work/pass.out"
[ "$rc" = 0 ] || fail "the passing scenario ended with $rc"
cmp -s "$work/pass.out" "$work/pass.log" || fail "the log file differs from the output"
grep -qx 'PASS: 24 steps held' "$work/pass.out" || fail "no PASS line"
# Traffic in order, both ways, with the character shown.
traffic=$(grep -E '^ *[0-9]+ [<>] ' "$work/pass.out" | sed -E 's/^ *[0-9]+ //')
expected_order='< TXM_THREAD
< TXM_HANDLE
< TXM_START 0
> RXM_HANDLE
> RXM_HANDLE 1234
> RXM_REQHANDLE 0
< TXM_HANDLE
> RXM_SETMARK 2000
< TXM_MARK 2000
> RXM_SETMARK 249
< TXM_MARK 2000
> RXM_CHAR 67 '"'C'"'
< TXM_CHAR 67 '"'C'"'
> RXM_SHOWSETUP 0
> RXM_EXIT 5'
pos=0
while IFS= read -r want; do
    n=$(printf '%s\n' "$traffic" | tail -n +$((pos + 1)) | grep -n -F -m1 -- "$want" | cut -d: -f1)
    [ -n "$n" ] || fail "no '$want' after line $pos of the traffic"
    pos=$((pos + n))
done <<<"$expected_order"
[ "$(grep -c 'message box "Kestrel Error" answered with OK' "$work/pass.out")" = 2 ] ||
    fail "two message boxes should have been answered"
grep -q 'Kestrel ended with exit code 5' "$work/pass.out" || fail "exit not logged"

cat >"$work/fail.scn" <<'SCN'
expect TXM_HANDLE * within 10000
expect-title "fake engine for DI-2 Logger32"
send RXM_SETMARK 3001
expect TXM_MARK 3001 within 1000
expect-msgbox "Kestrel Error" "wrong text" within 3000
expect-exit within 300
send RXM_SETMARK 100
wait 2000
SCN
rc=$(run_loggersim "$work/fail.out" --parent-title "DI-2 Logger32" "$w\\fake.exe" "$w\\fail.scn")
echo "failing scenario: exit $rc"
grep '^FAIL' "$work/fail.out"
[ "$rc" = 1 ] || fail "the failing scenario ended with $rc"
expected_failures='FAIL line 4: expect TXM_MARK 3001 within 1000: not received within 1000 ms; no TXM_MARK after the last match
FAIL line 5: expect-msgbox "Kestrel Error" "wrong text" within 3000: the message box says "Kestrel Mark tone must be between 250 and 3000Hz"
FAIL line 6: expect-exit within 300: Kestrel still runs after 300 ms
FAIL: message box left open: "Kestrel Error" "Kestrel Mark tone must be between 250 and 3000Hz" (answered with OK)
FAIL: 4 failures in 8 steps'
[ "$(grep '^FAIL' "$work/fail.out")" = "$expected_failures" ] || fail "unexpected failure lines"
grep -q '> RXM_EXIT 0' "$work/fail.out" || fail "loggersim did not ask the engine to end"
grep -q 'Kestrel ended with exit code 0' "$work/fail.out" || fail "the engine did not end"

printf 'sned RXM_EXIT\nexpect TXM_MARKS\n' >"$work/bad.scn"
rc=$(run_loggersim "$work/bad.out" "$w\\fake.exe" "$w\\bad.scn")
cat "$work/bad.out"
[ "$rc" = 2 ] || fail "a scenario with mistakes ended with $rc"
grep -qF "line 1: unknown command 'sned'" "$work/bad.out" || fail "line 1 not reported"
grep -qF "line 2: 'TXM_MARKS' is not an RXM_/TXM_ name or a code number" "$work/bad.out" ||
    fail "line 2 not reported"
[ "$(wine_out "$automate" count-windows KestrelFakeEngine)" = 0 ] || fail "a fake engine remains"
rm -rf "$work"
echo "PASS"
