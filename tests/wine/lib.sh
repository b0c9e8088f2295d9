# Helpers for the Wine tests; sourced with the rig directory in $rig.
# shellcheck shell=bash
set -euo pipefail
source "$rig/env"

fail() { echo "FAIL: $*" >&2; exit 1; }

# A fresh folder holding a copy of Kestrel.exe, so every test starts with no Kestrel.ini.
fresh_install() {
    local exe=$1 work
    work=$(mktemp -d "$rig/test.XXXXXX")
    cp "$exe" "$work/Kestrel.exe"
    echo "$work"
}

# wine_out PROGRAM ARGS...: run a console program of ours and print its output without
# the carriage returns of Windows text mode.
wine_out() { "$WINE" "$@" </dev/null 2>/dev/null | tr -d '\r'; }

# wait_exit PID SECONDS: wait for a background process; prints its exit code, or
# "timeout" after killing it.
wait_exit() {
    local pid=$1 limit=$2 i
    for ((i = 0; i < limit * 20; i++)); do
        kill -0 "$pid" 2>/dev/null || { wait "$pid" && echo 0 || echo $?; return; }
        sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    echo timeout
}
