#!/usr/bin/env bash
# Takes docs/settings.png: Kestrel's Settings dialog as it opens under loggersim, in a
# Wine desktop window (which draws title bars) on the rig's display.
#
#   tests/wine/settings_screenshot.sh BUILD_DIR OUT.png      (BUILD_DIR: build/windows)
set -euo pipefail
build=${1:?build directory}
out=${2:?output png}
here=$(cd "$(dirname "$0")" && pwd)
rig=$(mktemp -d)
bash "$here/rig.sh" start "$rig" >/dev/null
trap 'bash "$here/rig.sh" stop "$rig"; rm -rf "$rig"' EXIT
source "$rig/env"

work=$rig/shot
mkdir -p "$work"
cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" \
    "$build/tests/wine/kestrel-automate.exe" "$work/"
printf '[Kestrel Modem]\r\nleft=40\r\ntop=40\r\nTXmode=0\r\nRXnameid=Line In\r\nTXnameid=Speakers\r\n' >"$work/Kestrel.ini"
w="Z:${work//\//\\}"
"$WINE" explorer /desktop=Kestrel,800x600 "$work/loggersim.exe" --log "$w\\loggersim.log" \
    "$w\\Kestrel.exe" </dev/null >/dev/null 2>&1 &
for _ in $(seq 600); do grep -q 'TXM_START' "$work/loggersim.log" 2>/dev/null && break; sleep 0.05; done
# automate runs in the same Wine desktop, or it would not see Kestrel's windows.
automate() { "$WINE" explorer /desktop=Kestrel,800x600 "$work/kestrel-automate.exe" "$@" \
    </dev/null 2>/dev/null | tr -d '\r' || true; }
automate command KESTREL 111 >/dev/null
for _ in $(seq 200); do
    [ -n "$(automate rect '#32770|Kestrel Settings')" ] && break
    sleep 0.1
done
sleep 1
read -r left top right bottom < <(automate rect '#32770|Kestrel Settings')
bash "$here/rig.sh" screenshot "$rig" "$work/full.png"
convert "$work/full.png" -crop $((right - left))x$((bottom - top))+$left+$top +repage "$out"
echo "wrote $out"
