#!/usr/bin/env bash
# Kestrel names its window after the logger window it serves: the parent's title
# (kestrel_link's), or the grandparent's when the parent has none. A receiver window locks the switch word and
# turns AFC on; without a title to read the window keeps its first title.
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

# run NAME LOGGERSIM-OPTIONS...: runs the scenario NAME.scn; its output goes to NAME.out.
run() {
    start_scenario "$1" "$work/$1.out" "${@:2}"
    finish "$work/$1.out" "$1"
}

cat >"$work/di2.scn" <<'SCN'
expect TXM_START 0 within 15000
expect-title "DI2 XX9XX Kestrel " within 3000
SCN
run di2 --grandparent-title "DI-2 Logger32"

cat >"$work/none.scn" <<'SCN'
expect TXM_START 0 within 15000
wait 2500
expect-title "XX9XX Kestrel" within 10
SCN
run none

# A receiver window: AFC switched off before the title is on again after it, and the
# switch word is locked (so it was not RXM_SETSWITCH that turned AFC on).
cat >"$work/rx.scn" <<'SCN'
expect TXM_START 0 within 15000
send RXM_SETSWITCH 0
expect TXM_SWITCH 0
expect-title "DI3 RXo XX9XX Kestrel" within 3000
send RXM_SETSWITCH 132
expect-none TXM_SWITCH * for 500
wait 1500
SCN
start_scenario rx "$work/rx.out" --parent-title "DI3 RX2 N1MM Logger+"
# Once the lock has been checked, while loggersim waits.
await "$work/rx.out" 'line 7: wait' 20
c=$(wine_out "$automate" get-text KESTREL 40031 || true)
finish "$work/rx.out" rx
[ "$c" = "AFC on" ] || fail "the receiver window left the AFC button at '$c'"
passed
