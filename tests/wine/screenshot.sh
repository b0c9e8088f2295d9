#!/usr/bin/env bash
# Takes docs/screenshot.png: Kestrel beside loggersim's window, in a Wine desktop window
# (which draws title bars) on the rig's display, after playing the bundled sample so the
# spectrum strip and loggersim's text show it.
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
cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" \
    "$build/tests/wine/kestrel-automate.exe" "$here/../../samples/sample.wav" "$work/"
printf '[Kestrel Modem]\r\nleft=660\r\ntop=40\r\n' >"$work/Kestrel.ini"
w="Z:${work//\//\\}"
"$WINE" explorer /desktop=Kestrel,1024x600 "$work/loggersim.exe" --log "$w\\loggersim.log" \
    --parent-title "DI1 N1MM Logger+" "$w\\Kestrel.exe" </dev/null >/dev/null 2>&1 &
# Once Kestrel has met loggersim, and has named its window.
for _ in $(seq 600); do grep -q 'TXM_START' "$work/loggersim.log" 2>/dev/null && break; sleep 0.05; done
sleep 2
# Play the sample: the menu command, then its file in the open dialog (automate runs in
# the same Wine desktop, or it would not see Kestrel's windows).
automate() { "$WINE" explorer /desktop=Kestrel,1024x600 "$work/kestrel-automate.exe" "$@" \
    </dev/null >/dev/null 2>&1 || true; }
automate command KESTREL 114
sleep 2
automate set-text '#32770' 1148 "$w\sample.wav"
automate click '#32770' 1
for _ in $(seq 600); do grep -q 'TXM_CHAR 67' "$work/loggersim.log" && break; sleep 0.05; done
sleep 3
bash "$here/rig.sh" screenshot "$rig" "$work/full.png"
convert "$work/full.png" -crop 1024x600+0+0 +repage "$out"
echo "wrote $out"
