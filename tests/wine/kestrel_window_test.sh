#!/usr/bin/env bash
# Kestrel's window: a stored position on no monitor is replaced by one centred on the
# screen; the layout sizes the window and saves the position with four digits, a move
# with five. (Wine without a window manager parks a minimised window on the screen, not
# far off it, so the rule for minimised windows is left to the unit tests.)
rig=$1 kestrel=$2 automate=$3 loggersim=$4
source "$(dirname "$0")/lib.sh"

with_loggersim "$kestrel" "$loggersim"

printf '[Kestrel Modem]\r\nleft=5000\r\ntop=4000\r\n' >"$work/Kestrel.ini"
cat >"$work/window.scn" <<'SCN'
expect TXM_START 0 within 15000
expect-exit 0 within 30000
SCN
start_scenario window "$work/out"
await "$work/out" 'line 2: expect-exit' 15
setting() { tr -d '\r' <"$work/Kestrel.ini" 2>/dev/null | grep "^$1=" | cut -d= -f2; }
saved_at() { [ "$(setting left) $(setting top)" = "$1" ]; }
until_ok 10 saved_at "0168 0101" || fail "layout saved $(setting left),$(setting top)"

# 688 x 566 (the stored size before the layout) centred on the 1024 x 768 screen.
read -r left top right bottom <<<"$(wine_out "$automate" rect KESTREL)"
echo "window at $left,$top to $right,$bottom"
[ "$left $top" = "168 101" ] || fail "the window was not centred: $left,$top"
[ "$(setting right)" = "$(printf '%04d' $((right - left)))" ] || fail "layout saved width $(setting right)"
[ "$(setting bottom)" = "$(printf '%04d' $((bottom - top)))" ] || fail "layout saved height $(setting bottom)"

wine_out "$automate" move KESTREL 300 200
until_ok 10 saved_at "00300 00200" || fail "move saved $(setting left),$(setting top)"
[ "$(setting right)" = "$(printf '%05d' $((right - left)))" ] || fail "move saved width $(setting right)"

wine_out "$automate" close KESTREL
finish "$work/out" loggersim
passed
