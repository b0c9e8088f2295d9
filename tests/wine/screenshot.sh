#!/usr/bin/env bash
# Takes a picture of Kestrel under loggersim, in a Wine desktop window (which draws title
# bars) on the rig's display:
#   main      (docs/screenshot.png) Kestrel beside loggersim's window after playing the
#             bundled sample, so the spectrum strip and loggersim's text show it
#   kestrel   (docs/manual/pictures/kestrel.png) Kestrel's window alone, from that picture
#   settings  (docs/settings.png) the Settings dialog as it opens, cut to its frame
#
#   tests/wine/screenshot.sh BUILD_DIR OUT.png [main|kestrel|settings]   (BUILD_DIR: build/windows)
set -euo pipefail
build=${1:?build directory}
out=${2:?output png}
what=${3:-main}
here=$(cd "$(dirname "$0")" && pwd)
rig=$(mktemp -d)
bash "$here/rig.sh" start "$rig" >/dev/null
trap 'bash "$here/rig.sh" stop "$rig"; rm -rf "$rig"' EXIT
source "$rig/env"

work=$rig/shot
mkdir -p "$work"
cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" \
    "$build/tests/wine/kestrel-automate.exe" "$here/../../samples/sample.wav" "$work/"
if [ "$what" = settings ]; then
    desktop=800x600 parent=()
    printf '[Kestrel Modem]\r\nleft=40\r\ntop=40\r\nTXmode=0\r\nRXnameid=Line In\r\nTXnameid=Speakers\r\n' >"$work/Kestrel.ini"
else
    desktop=1024x600 parent=(--parent-title "DI1 N1MM Logger+")
    printf '[Kestrel Modem]\r\nleft=660\r\ntop=40\r\n' >"$work/Kestrel.ini"
fi
w="Z:${work//\//\\}"
"$WINE" explorer /desktop=Kestrel,$desktop "$work/loggersim.exe" --log "$w\\loggersim.log" \
    "${parent[@]}" "$w\\Kestrel.exe" </dev/null >/dev/null 2>&1 &
# automate runs in the same Wine desktop, or it would not see Kestrel's windows.
automate() { "$WINE" explorer /desktop=Kestrel,$desktop "$work/kestrel-automate.exe" "$@" \
    </dev/null 2>/dev/null | tr -d '\r' || true; }
# Once Kestrel has met loggersim, and has named its window.
for _ in $(seq 600); do grep -q 'TXM_START' "$work/loggersim.log" 2>/dev/null && break; sleep 0.05; done
if [ "$what" = settings ]; then
    automate command KESTREL 111 >/dev/null
    for _ in $(seq 200); do
        [ -n "$(automate rect '#32770|Kestrel Settings')" ] && break
        sleep 0.1
    done
    sleep 1
    read -r left top right bottom < <(automate rect '#32770|Kestrel Settings')
    crop=$((right - left))x$((bottom - top))+$left+$top
else
    sleep 2
    # Play the sample: the menu command, then its file in the open dialog.
    automate command KESTREL 114 >/dev/null
    sleep 2
    automate set-text '#32770' 1148 "$w\sample.wav" >/dev/null
    automate click '#32770' 1 >/dev/null
    for _ in $(seq 600); do grep -q 'TXM_CHAR 67' "$work/loggersim.log" && break; sleep 0.05; done
    sleep 3
    # Kestrel's window stands at 660,40: 192 x 186 at the spectrum strip's default width.
    crop=1024x600+0+0
    [ "$what" = main ] || crop=194x188+659+39
fi
bash "$here/rig.sh" screenshot "$rig" "$work/full.png"
convert "$work/full.png" -crop "$crop" +repage "$out"
echo "wrote $out"
