#!/usr/bin/env bash
# loggersim's window with the fake engine: a line sent with TX goes out as RXM_CHARs and
# RXM_PTT 2 and its echo shows in the received text; RX sends RXM_PTT 1; closing the
# window ends the engine with RXM_EXIT, then loggersim.
rig=$1 automate=$3 loggersim=$4 fake=$5
source "$(dirname "$0")/lib.sh"

work=$(mktemp -d "$rig/test.XXXXXX")
cp "$loggersim" "$work/loggersim.exe"
cp "$fake" "$work/fake.exe"
w=$(winpath "$work")
# The window's controls: TX is 1, RX 101, the received text 201, the line to send 203.
win=KestrelLoggersim

logged() { grep -qF -- "$1" "$work/out"; }
received_is() { [ "$(wine_out "$automate" get-text $win 201)" = "$1" ]; }

"$WINE" "$work/loggersim.exe" "$w\\fake.exe" </dev/null >"$work/out" 2>/dev/null &
pid=$!
until_ok 15 logged '< TXM_START 0' || fail "the engine did not start"
[ "$(wine_out "$automate" count-windows $win)" = 1 ] || fail "no loggersim window"

wine_out "$automate" set-text $win 203 "CQ TEST" || fail "no line to type in"
wine_out "$automate" click $win 1
until_ok 10 received_is "CQ TEST" || fail "received: $(wine_out "$automate" get-text $win 201)"
sent=$(grep -E '^ *[0-9]+ > ' "$work/out" | sed -E 's/^ *[0-9]+ //')
[ "$sent" = "> RXM_CHAR 67 'C'
> RXM_CHAR 81 'Q'
> RXM_CHAR 32 ' '
> RXM_CHAR 84 'T'
> RXM_CHAR 69 'E'
> RXM_CHAR 83 'S'
> RXM_CHAR 84 'T'
> RXM_PTT 2" ] || fail "TX sent: $sent"
[ -z "$(wine_out "$automate" get-text $win 203)" ] || fail "the line was not cleared"

wine_out "$automate" click $win 101
until_ok 5 logged '> RXM_PTT 1' || fail "RX sent nothing"

wine_out "$automate" close $win
wait_exit "$pid" 15
cat "$work/out"
[ "$exit_status" = 0 ] || fail "loggersim ended with $exit_status"
logged '> RXM_EXIT 0' || fail "closing did not ask the engine to end"
logged 'Kestrel ended with exit code 0' || fail "the engine did not end"
[ "$(wine_out "$automate" count-windows KestrelFakeEngine)" = 0 ] || fail "a fake engine remains"
rm -rf "$work"
echo "PASS"
