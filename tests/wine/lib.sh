# Helpers for the Wine tests. A test sources it with its own arguments: the rig's folder
# and the programs Kestrel.exe, kestrel-automate.exe and loggersim.exe. A script that sets
# $rig itself (a bench) keeps its own.
# shellcheck shell=bash
set -euo pipefail
[ -n "${rig:-}" ] || { rig=$1 kestrel=${2:-} automate=${3:-} loggersim=${4:-}; }
source "$rig/env"

fail() { echo "FAIL: $*" >&2; exit 1; }

# winpath PATH: the Windows name of an absolute Linux path (drive Z: is the root).
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# wine_out PROGRAM ARGS...: run a console program of ours and print its output without
# the carriage returns of Windows text mode.
wine_out() { "$WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# until_ok SECONDS COMMAND...: retries the command every 50 ms until it succeeds. Anything
# posted to a window under Wine lands when the machine gets to it; never sleep and check.
until_ok() {
    local limit=$1 i
    shift
    for ((i = 0; i < limit * 20; i++)); do "$@" && return 0; sleep 0.05; done
    return 1
}

# shows TEXT PROGRAM ARGS...: true when the program prints TEXT.
shows() { [ "$(wine_out "${@:2}" || true)" = "$1" ]; }

# await FILE TEXT [SECONDS]: waits until FILE holds the line part TEXT; fails showing the
# file when it never comes.
await() {
    until_ok "${3:-30}" grep -qF -- "$2" "$1" && return 0
    cat "$1"
    fail "never saw '$2'"
}

# wait_exit PID SECONDS: wait for a background process of this shell and set exit_status
# to its exit code, or to "timeout" after killing it. Call it directly: in $(...) the
# process is not a child and its exit code is lost.
wait_exit() {
    exit_status=timeout
    until_ok "$2" gone "$1" || { kill "$1" 2>/dev/null || true; return; }
    exit_status=0
    wait "$1" || exit_status=$?
}
gone() { ! kill -0 "$1" 2>/dev/null; }

# with_loggersim KESTREL LOGGERSIM: a fresh folder holding copies of both, so every test
# starts with no Kestrel.ini; sets $work, $w (the folder as Windows sees it) and $quoted. A test
# that starts Kestrel keeps its process id in $pid: if the test ends early, Kestrel is
# asked to close and then killed, so nothing stays behind to confuse the next test.
with_loggersim() {
    work=$(mktemp -d "$rig/test.XXXXXX")
    cp "$1" "$work/Kestrel.exe"
    cp "$2" "$work/loggersim.exe"
    w=$(winpath "$work")
    quoted=${w//\\/\\\\}   # the folder as a quoted scenario word
    pid=
    trap leave_nothing_behind EXIT
}

# launch_loggersim OUT ARGS...: loggersim with ARGS in the background, its log in OUT and
# what Wine says in OUT.err; $pid is its process. It always logs a line first; on a loaded
# machine Wine can fail to start it at all, and it is started again, twice at most.
launch_loggersim() {
    local out=$1 try
    shift
    for try in 1 2 3; do
        "$WINE" "$work/loggersim.exe" "$@" </dev/null >"$out" 2>"$out.err" &
        pid=$!
        until_ok 60 begun "$out" "$pid" && [ ! -s "$out" ] || return 0
        echo "loggersim ended before its first line (try $try): $(cat "$out.err")" >&2
    done
}
begun() { [ -s "$1" ] || gone "$2"; }

# start_scenario NAME OUT [OPTION...]: loggersim, with its OPTIONs, runs $work/NAME.scn
# against Kestrel in the background, its report going to OUT; $pid is its process.
start_scenario() { launch_loggersim "$2" "${@:3}" "$w\\Kestrel.exe" "$w\\$1.scn"; }
# started NAME OUT [OPTION...]: start_scenario, then waits until Kestrel has reported its start.
started() { start_scenario "$@"; await "$2" '< TXM_START 0'; }

# run_loggersim OUT ARGS...: runs loggersim with ARGS to its end, its report in OUT; prints
# its exit code.
run_loggersim() { local rc=0; launch_loggersim "$@"; wait "$pid" || rc=$?; echo "$rc"; }

# finish OUT WHAT: waits for loggersim ($pid) to end and shows the verdict lines of its log
# OUT; an exit code other than 0 (or a time-out) fails the test, showing the log without
# the level reports and what Wine said.
finish() {
    wait_exit "$pid" 60
    grep -a -E '^(PASS|FAIL)' "$1" || echo "no verdict: loggersim did not finish"
    [ "$exit_status" = 0 ] && return
    grep -av TXM_LEVEL "$1" || true
    cat "$1.err"
    fail "$2 ended with $exit_status"
}

# menu_exit OUT WHAT: Exit from Kestrel's menu, then finish.
menu_exit() { menu 106; finish "$@"; }

# passed: the test's folder goes, and the test passes.
passed() { rm -rf "$work"; echo "PASS"; }

leave_nothing_behind() {
    [ -z "${recorder:-}" ] || kill -INT "$recorder" 2>/dev/null || true
    [ -n "$pid" ] || return 0
    # Kestrel may outlive a scenario that timed out.
    wine_out "$automate" close KESTREL >/dev/null || true
    until_ok 1 gone "$pid" || kill "$pid" 2>/dev/null || true
}

# Driving Kestrel's windows through $automate; a window is a class, or "#32770|CAPTION"
# for a dialog.
auto() { wine_out "$automate" "$@"; }
# menu ID...: posts each menu command to Kestrel's window, waiting for the window.
menu() { for id in "$@"; do until_ok 10 auto command KESTREL "$id" >/dev/null || fail "no window for menu $id"; done; }
# open_settings: the Settings dialog ($settings) opened from the menu.
settings='#32770|Kestrel Settings'
open_settings() { menu 111; appears "$settings" 40001; }
# click WINDOW ID: presses the button, waiting for it to appear.
click() { until_ok 10 auto click "$1" "$2" >/dev/null || fail "no control $2 in $1"; }
# is WANT COMMAND...: waits until the automate command prints WANT.
is() {
    until_ok 10 shows "$1" "$automate" "${@:2}" ||
        fail "${*:2} shows '$(auto "${@:2}" || true)', not '$1'"
}
# lists WINDOW ID ITEM: waits until the list box holds ITEM. A dialog's controls can be
# found while it is still filling them. choose WINDOW ID ITEM then selects it, as a user would.
list_holds() { grep -qxF -- "$3" <<<"$(auto list "$1" "$2")"; }
lists() {
    until_ok 10 list_holds "$@" || fail "$1 list $2 lacks $3: $(auto list "$1" "$2" | paste -sd,)"
}
choose() { lists "$@"; auto select "$@" >/dev/null || fail "cannot choose $3 in $1 list $2"; }
# appears WINDOW ID: waits for the window (a dialog) and its control.
appears() { until_ok 15 auto get-text "$1" "$2" >/dev/null || fail "no window $1"; }

# The settings Kestrel wrote in $work: ini_holds LINE... is true when the file holds
# every line; ini_has fails the test otherwise; awaits_ini waits for them.
ini() { tr -d '\r' <"$work/Kestrel.ini"; }
ini_holds() { for line in "$@"; do grep -qxF "$line" <<<"$(ini)" || return 1; done; }
ini_has() { ini_holds "$@" || { ini; fail "Kestrel.ini lacks one of $*"; }; }
awaits_ini() { until_ok 10 ini_holds "$@" || ini_has "$@"; }

# record_air CHANNELS: records what Kestrel plays on "Speakers" into $work/air.wav (48000
# samples/s) until stop_air; a test that ends early stops it too.
record_air() {
    parecord --device=kestrel_tx.monitor --file-format=wav --rate=48000 --channels="$1" \
        --latency-msec=20 "$work/air.wav" &
    recorder=$!
}
stop_air() { kill -INT "$recorder"; wait "$recorder" || true; recorder=; }

# air_texts COPIES PTT_MS: scenario lines that send the air text COPIES times, each
# keyed within PTT_MS, echoed whole and ended by the logger, a second of silence after it.
air_texts() {
    local i
    for ((i = 0; i < $1; i++)); do
        echo "text ryryry cq test de k1abc k1abc{TX}"
        echo "expect TXM_PTTEVENT 1 within $2"
        echo 'expect-text "RYRYRY CQ TEST DE K1ABC K1ABC" within 15000'
        echo "send RXM_PTT 1"
        echo "expect TXM_PTTEVENT 0 within 5000"
        echo "wait 1000"
    done
}
# air_copies_decode WAV COPIES WANT MINIMODEM_ARGS...: minimodem decodes each of the first
# COPIES transmissions on the air (600 ms of silence apart) to WANT (grep -E), unless a gap
# in its audio shows that the sound path lost some of it; one copy at least decodes.
air_copies_decode() {
    local wav=$1 copies=$2 want=$3 i intact=0 from to gaps longest heard stretches
    shift 3
    mapfile -t stretches < <(python3 "$(dirname "${BASH_SOURCE[0]}")/air_gaps.py" "$wav" 600)
    [ ${#stretches[@]} -ge "$copies" ] || fail "${#stretches[@]} transmissions on the air"
    for ((i = 0; i < copies; i++)); do
        read -r from to gaps longest <<<"${stretches[i]}"
        sox "$wav" "$work/copy.wav" trim "$from" ="$to" pad 0 0.2
        heard=$(minimodem --rx -q -f "$work/copy.wav" "$@" 2>/dev/null | tr -d '\r' || true)
        echo "copy $((i + 1)): minimodem heard: $heard ($gaps gaps, longest $longest ms)"
        if grep -qE "$want" <<<"$heard"; then
            intact=$((intact + 1))
        elif [ "$gaps" = 0 ]; then
            fail "copy $((i + 1)) of the air audio does not decode, and nothing was lost on the way"
        fi
    done
    [ "$intact" -gt 0 ] || fail "no copy of the air audio decodes"
}

# Live audio into Kestrel's "Line In" (the monitor of the null sink kestrel_rx).

# rtty_wav OUT BAUD TEXT: a peer's RTTY (minimodem) at 48000 samples/s, mono, on Kestrel's
# default tones.
rtty_wav() {
    printf '%s' "$3" | minimodem --tx -R 48000 -f "$1" --baudot --stopbits 1.5 \
        -M 2125 -S 2295 "$2" 2>/dev/null
}

# line_in_streams: Pulse's numbers for the recording streams on "Line In", oldest first:
# the rig's keeper, then Kestrel's (a reopen makes a new one).
line_in_streams() {
    local source
    source=$(pactl list short sources | awk '$2 == "kestrel_rx.monitor" {print $1}')
    pactl list short source-outputs | awk -v s="$source" '$2 == s {print $1}' | sort -n
}

# capture_open [SECONDS]: waits until a program besides the keeper records from "Line In".
capture_open() {
    until_ok "${1:-20}" eval '[ "$(line_in_streams | wc -l)" -ge 2 ]' ||
        fail "Kestrel never opened Line In"
}

# feed WAV [PAD]: plays the file in real time into "Line In" after PAD seconds of silence
# (default 0.3: the first milliseconds of a new stream can be lost); returns when played.
feed() {
    local channels
    channels=$(soxi -c "$1")
    sox -q -D "$1" -t raw -r 48000 -e signed-integer -b 16 -c "$channels" - pad "${2:-0.3}" 0.2 |
        pacat -p -d kestrel_rx --format=s16le --rate=48000 --channels="$channels" \
            --latency-msec=500
}

# feed_until OUT TEXT WAV [TRIES]: feeds the file live until loggersim's log OUT holds
# TEXT (a scenario step it reached), up to TRIES times (default 3): on a loaded machine
# the sound system can drop a stretch of audio. False when TEXT never came.
feed_until() {
    local try
    for ((try = 1; try <= ${4:-3}; try++)); do
        feed "$3"
        until_ok 2 grep -qF -- "$2" "$1" && return 0
    done
    return 1
}

# received OUT: the characters loggersim logged as TXM_CHAR, in order, on one line.
received() {
    sed -n "s/.*< TXM_CHAR [0-9]* '\(.*\)'\$/\1/p" "$1" | tr -d '\n'
}
