#!/usr/bin/env bash
# The Windows test rig: an Xvfb display, a Wine prefix and a persistent wineserver.
#
#   rig.sh start DIR            start everything; DIR/env then holds the exports
#   rig.sh screenshot DIR OUT   PNG of the whole display
#   rig.sh stop DIR             end every Wine process of the prefix and the display
#   rig.sh serial-stop DIR      unplug the virtual COM5 (its pty pair goes away)
#   rig.sh serial-start DIR     plug it in again
#   rig.sh line-in-stop DIR     unplug the input "Line In" (its source goes away)
#   rig.sh line-in-start DIR    plug it in again
#
# A headless PulseAudio gives Wine two sound devices: the output "Speakers" and the input
# "Line In" (the monitor of a second null sink, which tests can play into).
# A pty pair is the serial port COM5: Wine opens one end, tests talk to the other
# ($KESTREL_COM_PEER). A pty has no modem lines, so the shim modemline_shim.so (preloaded
# by the exports in DIR/env) emulates DTR, RTS and break and logs every change to
# $MODEMLINE_LOG as "<unix time> <pty> DTR=<0|1> RTS=<0|1> BREAK=<0|1>".
# The wineserver and Wine's own services are started here with their output in a file:
# the first Wine process of a prefix hands its stdout to them, and a test that piped it
# would never see the pipe close. Later programs start in a fraction of a second.
# A ready prefix is kept in $KESTREL_WINE_CACHE (default ~/.cache/kestrel/wine-prefix)
# and copied, which is several times faster than creating one.
set -euo pipefail
cmd=${1:-}
dir=${2:-}
[ -n "$cmd" ] && [ -n "$dir" ] || { sed -n '2,14p' "$0"; exit 2; }

WINE=${WINE:-$( [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64 || command -v wine64 || command -v wine )}
WINESERVER=${WINESERVER:-$( [ -x /usr/lib/wine/wineserver64 ] && echo /usr/lib/wine/wineserver64 || command -v wineserver )}
cache=${KESTREL_WINE_CACHE:-$HOME/.cache/kestrel/wine-prefix}
export WINEPREFIX=$dir/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='   # no Mono or Gecko install prompts
export PULSE_SERVER=unix:$dir/pulse/socket

start_audio() {
    local pa=$dir/pulse
    mkdir -p "$pa/home" "$pa/runtime"
    chmod 700 "$pa/runtime"
    cat >"$pa/start.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1 socket=$pa/socket
load-module module-cli-protocol-unix socket=$pa/cli
load-module module-null-sink sink_name=kestrel_tx rate=48000 channels=2 sink_properties='device.description="Speakers"'
set-default-sink kestrel_tx
PA
    env HOME="$pa/home" XDG_RUNTIME_DIR="$pa/runtime" XDG_CONFIG_HOME="$pa/home" \
        pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --realtime=no \
        --high-priority=no --log-target=file:"$pa/pulse.log" -F "$pa/start.pa" \
        </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/pulse.pid"
    local up=0
    for _ in $(seq 100); do pactl info >/dev/null 2>&1 && { up=1; break; }; sleep 0.05; done
    [ $up = 1 ] || { echo "rig: PulseAudio did not start, see $pa/pulse.log" >&2; exit 1; }
    line_in_start
}

# "Line In" is the monitor of a second null sink, which tests play into. Its name is set
# through PulseAudio's command socket, which knows the command pactl lacks.
line_in_start() {
    socat - UNIX-CONNECT:"$dir/pulse/cli" >/dev/null <<PA
load-module module-null-sink sink_name=kestrel_rx rate=48000 channels=2 sink_properties='device.description="RX feed"'
update-source-proplist kestrel_rx.monitor device.description="Line In"
set-default-source kestrel_rx.monitor
PA
    # A keeper: an idle null sink renders up to 2 s ahead, so a new recording stream on
    # "Line In" would get its first data that late (longer than Kestrel's capture watchdog
    # waits). One permanent low-latency reader of the monitor keeps new streams prompt.
    # "Speakers" keeps its long buffer, which rides out a loaded machine.
    pacat -r --latency-msec=10 -d kestrel_rx.monitor --format=s16le --rate=48000 --channels=2 \
        </dev/null >/dev/null 2>&1 &
    echo $! >"$dir/keeper-kestrel_rx.pid"
}

line_in_stop() {
    kill "$(cat "$dir/keeper-kestrel_rx.pid")" 2>/dev/null || true
    rm -f "$dir/keeper-kestrel_rx.pid"
    pactl unload-module "$(pactl list short modules | awk '/sink_name=kestrel_rx/ {print $1}')"
}

here=$(cd "$(dirname "$0")" && pwd)

booting_failed() {
    echo "rig: Wine did not start in $WINEPREFIX, see $dir/wine.log" >&2
    exit 1
}

# Plugging in a port that is plugged in does nothing: a second socat would take over the
# links and the first would be left behind, out of the rig's reach.
serial_start() {
    local s=$dir/serial
    mkdir -p "$s"
    [ -f "$s/socat.pid" ] && kill -0 "$(cat "$s/socat.pid")" 2>/dev/null && return 0
    socat pty,raw,echo=0,link="$s/com5" pty,raw,echo=0,link="$s/com5-peer" </dev/null \
        >"$s/socat.log" 2>&1 &
    echo $! >"$s/socat.pid"
    for _ in $(seq 100); do [ -e "$s/com5" ] && [ -e "$s/com5-peer" ] && return 0; sleep 0.02; done
    echo "rig: socat did not make the pty pair" >&2
    exit 1
}

# Ends process $1 and waits (2.5 s at most) until it has gone.
end_process() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$1" 2>/dev/null || break; sleep 0.05; done
}

# Every socat that serves this rig's links goes, not only the one last started.
serial_stop() {
    local s=$dir/serial p
    for p in $(cat "$s/socat.pid" 2>/dev/null) $(pgrep -f "socat .*link=$s/com5," || true); do end_process "$p"; done
    rm -f "$s/socat.pid"
}

# COM5 is known to the system's device list only when the wineserver starts with it
# registered, so the server is started again once it is.
start_serial() {
    local s=$dir/serial
    mkdir -p "$s"
    gcc -shared -fPIC -O2 -o "$s/modemline_shim.so" "$here/modemline_shim.c" -ldl
    serial_start
    "$WINE" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$s/com5" /f </dev/null \
        >>"$dir/wine.log" 2>&1
    ln -sfn "$s/com5" "$WINEPREFIX/dosdevices/com5"
    "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    "$WINESERVER" -p </dev/null >>"$dir/wine.log" 2>&1 || true
    "$WINE" wineboot </dev/null >>"$dir/wine.log" 2>&1 || booting_failed
}

stop() {
    serial_stop
    # A start that failed half way has a prefix and no env: its Wine is stopped too.
    if [ -f "$dir/env" ] || [ -d "$WINEPREFIX" ]; then
        "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
        "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
    fi
    local p
    for p in "$dir"/xvfb.pid "$dir"/keeper-*.pid "$dir"/pulse.pid; do
        if [ -f "$p" ]; then end_process "$(cat "$p")"; fi
        rm -f "$p"
    done
    rm -f "$dir/display" "$dir/env"
}

start() {
    stop
    mkdir -p "$dir"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" </dev/null \
        >"$dir/xvfb.log" 2>&1 &
    echo $! >"$dir/xvfb.pid"
    for _ in $(seq 200); do [ -s "$dir/display" ] && break; sleep 0.05; done
    [ -s "$dir/display" ] || { echo "rig: Xvfb did not start, see $dir/xvfb.log" >&2; exit 1; }
    export DISPLAY=:$(head -1 "$dir/display")
    start_audio

    if [ ! -f "$WINEPREFIX/system.reg" ] && [ -f "$cache/system.reg" ]; then
        rm -rf "$WINEPREFIX"
        cp -a "$cache" "$WINEPREFIX"
    fi
    local fresh=0
    [ -f "$WINEPREFIX/system.reg" ] || fresh=1
    mkdir -p "$WINEPREFIX"
    "$WINESERVER" -p </dev/null >>"$dir/wine.log" 2>&1 || true
    "$WINE" wineboot -i </dev/null >>"$dir/wine.log" 2>&1 || booting_failed
    # With no window manager, Wine holds a program for 2 s whenever one of its managed
    # windows (a message box, a dialog) goes away, waiting for a manager's answer.
    # Unmanaged windows are not waited for.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null \
        >>"$dir/wine.log" 2>&1
    # Kestrel needs Windows 8 or later; Wine 8 says Windows 7 unless told otherwise.
    "$WINE" reg add 'HKCU\Software\Wine' /v Version /d win10 /f </dev/null >>"$dir/wine.log" 2>&1
    if [ $fresh -eq 1 ]; then
        # Keep a copy of the new prefix for the next run, once the registry is written.
        "$WINE" reg query 'HKCU\Software' </dev/null >>"$dir/wine.log" 2>&1 || true
        mkdir -p "$(dirname "$cache")"
        # A rig of its own name: two rigs starting at once must not fill one copy.
        local copy=$cache.tmp.$$
        rm -rf "$copy"
        cp -a "$WINEPREFIX" "$copy" && rm -rf "$cache" && mv "$copy" "$cache" || rm -rf "$copy"
    fi
    start_serial
    cat >"$dir/env" <<ENV
export DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX WINEDEBUG=$WINEDEBUG PULSE_SERVER=$PULSE_SERVER
export WINEDLLOVERRIDES='$WINEDLLOVERRIDES' WINE=$WINE WINESERVER=$WINESERVER
export LD_PRELOAD=$dir/serial/modemline_shim.so MODEMLINE_LOG=$dir/serial/modemlines.log
export KESTREL_COM_PEER=$dir/serial/com5-peer
ENV
}

case "$cmd" in
start)
    t0=$(date +%s%N)
    start
    echo "rig: ready in $(( ($(date +%s%N) - t0) / 1000000 )) ms (display $DISPLAY)"
    ;;
screenshot)
    out=${3:?output png}
    DISPLAY=:$(head -1 "$dir/display") xwd -root -silent | convert xwd:- png:"$out"
    ;;
stop) stop ;;
serial-stop) serial_stop ;;
serial-start) serial_start ;;
line-in-stop) line_in_stop ;;
line-in-start) line_in_start ;;
*) sed -n '2,14p' "$0"; exit 2 ;;
esac
