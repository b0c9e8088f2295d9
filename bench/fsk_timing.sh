#!/usr/bin/env bash
# FSK element timing on the rig's virtual COM port: Kestrel.exe keys DTR for a logger's
# text at 45.45, 50 and 75 baud, and the modem-line log gives every element's length.
#
#   bench/fsk_timing.sh BUILD_DIR [CHARACTERS]     (BUILD_DIR: build/windows)
set -euo pipefail
build=${1:?build directory}
count=${2:-200}
here=$(cd "$(dirname "$0")/../tests/wine" && pwd)
rig=$(mktemp -d)
bash "$here/rig.sh" start "$rig" >/dev/null
trap 'bash "$here/rig.sh" stop "$rig"; rm -rf "$rig"' EXIT
source "$rig/env"

text=$(python3 -c "import random; random.seed(7); print(''.join(random.choice('ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 ') for _ in range($count)))")
echo "| Speed | Element | Intervals measured | Median | 5 % | 95 % | Least | Most |"
echo "|---|---|---|---|---|---|---|---|"
for index in 0 1 2; do
    element=$(echo "22 20 13.333" | cut -d' ' -f$((index + 1)))
    speed=$(echo "45.45 50 75" | cut -d' ' -f$((index + 1)))
    work=$rig/speed$index
    mkdir -p "$work"
    cp "$build/src/win32/Kestrel.exe" "$build/tools/loggersim/loggersim.exe" "$work/"
    printf '[Kestrel Modem]\r\nTXmode=3\r\nFSKCOMport=COM5\r\nPTT=2\r\nPTTCOMport=COM5\r\nDTRorRTSorTxD=0\r\nNORMorINVERT=0\r\nBaud Rate=%d\r\n' \
        "$index" >"$work/Kestrel.ini"
    cat >"$work/fsk.scn" <<SCN
expect TXM_START 0 within 15000
text $text{TX}
expect TXM_PTTEVENT 1 within 5000
send RXM_PTT 1
expect TXM_PTTEVENT 0 within $((count * 200 + 10000))
send RXM_EXIT
expect-exit 0 within 10000
SCN
    first=$(($( [ -f "$MODEMLINE_LOG" ] && wc -l <"$MODEMLINE_LOG" || echo 0) + 1))
    w="Z:${work//\//\\}"
    "$WINE" "$work/loggersim.exe" "$w\\Kestrel.exe" "$w\\fsk.scn" </dev/null >"$work/out" 2>/dev/null
    grep -aq '^PASS' "$work/out" || { grep -av TXM_LEVEL "$work/out" >&2; exit 1; }
    python3 "$here/fsk_elements.py" "$MODEMLINE_LOG" "$first" "$element" >"$work/elements"
    read -r _ n _ median _ p5 _ p95 _ least _ most <"$work/elements"
    echo "| $speed baud | $element ms | $n | $median ms | $p5 ms | $p95 ms | $least ms | $most ms |"
done
