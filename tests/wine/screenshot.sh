#!/usr/bin/env bash
# Takes docs/screenshot.png: Kestrel beside loggersim's window, in a Wine desktop window
# (which draws title bars) on the rig's display.
#
#   tests/wine/screenshot.sh BUILD_DIR OUT.png      (BUILD_DIR: build/windows)
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
cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" "$work/"
printf '[Kestrel Modem]\r\nleft=660\r\ntop=40\r\n' >"$work/Kestrel.ini"
w="Z:${work//\//\\}"
"$WINE" explorer /desktop=Kestrel,1024x600 "$work/loggersim.exe" --log "$w\\loggersim.log" \
    --parent-title "DI1 N1MM Logger+" "$w\\Kestrel.exe" </dev/null >/dev/null 2>&1 &
# Once Kestrel has met loggersim, and has named its window.
for _ in $(seq 600); do grep -q 'TXM_START' "$work/loggersim.log" 2>/dev/null && break; sleep 0.05; done
sleep 2
bash "$here/rig.sh" screenshot "$rig" "$work/full.png"
convert "$work/full.png" -crop 1024x600+0+0 +repage "$out"
echo "wrote $out"
