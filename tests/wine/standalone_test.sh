#!/usr/bin/env bash
# Started without the logger's shared block, Kestrel shows its standalone message and
# ends with no window left, with a code a script reads as a refusal.
rig=$1 kestrel=$2 automate=$3
source "$(dirname "$0")/lib.sh"

work=$(fresh_install "$kestrel")
t0=$(date +%s%N)
"$WINE" "$work/Kestrel.exe" </dev/null >"$work/kestrel.log" 2>&1 &
pid=$!

box=$(wine_out "$automate" msgbox "Kestrel Error" 30)
t1=$(date +%s%N)
echo "$box"
expected='caption: Kestrel Error
text: Kestrel does not work standalone\nUse with a logging program like\n        N1MM+ or Logger32'
[ "$box" = "$expected" ] || fail "unexpected message box: $box"
echo "message box after $(( (t1 - t0) / 1000000 )) ms"

wait_exit "$pid" 60
[ "$exit_status" = 1 ] || fail "Kestrel.exe did not end with exit code 1 after OK (exit: $exit_status)"
[ "$(wine_out "$automate" count-windows KESTREL)" = 0 ] || fail "a Kestrel window remains"
[ ! -e "$work/Kestrel.ini" ] || fail "the standalone start wrote settings"
passed
