#!/bin/sh
# The built program on X, from outside: a shortcut reaches the board; Ctrl+Q,
# and SIGTERM even while the board is busy or the window is being built, end
# it with its settings written.
# Usage: smoke.sh folder-of-vantrel   (inside xvfb-run)
set -eu
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
pid=""
export XDG_CONFIG_HOME="$work/config" JCP_SIM_STATE_DIR="$work/board" \
    JCP_SIM_RECORD="$work/runs" JCP_SIM_PACE_MS=0 QT_QPA_PLATFORM=xcb
fail() { echo "FAIL: $*"; exit 1; }
settings="$work/config/Dunmarrow/Vantrel.conf"

# A copy of its own, so that no other test's flash tool is taken for ours.
mkdir "$work/app" && cp "$1/vantrel" "$1/jcp" "$work/app/"
start() {
    rm -f "$settings" "$work/runs"
    "$work/app/vantrel" & pid=$!
    window=$(xdotool search --sync --onlyvisible --name "Vantrel" | head -1)
    xdotool windowfocus --sync "$window"
}
wait_run() {
    for _ in $(seq 100); do [ -s "$work/runs" ] && return 0; sleep 0.1; done
    fail "Ctrl+S never reached the flash tool"
}
ended() {
    status=0; wait "$pid" || status=$?
    [ "$status" -eq 0 ] || fail "$1: exit code $status"
    grep -q '^rev1=false' "$settings" || fail "$1: settings not written"
}

start
xdotool key ctrl+s
wait_run
grep -qx '\["-q","-s"\]' "$work/runs" || fail "serial read sent $(cat "$work/runs")"
xdotool key ctrl+q
ended "Ctrl+Q"

start
kill -TERM "$pid"
ended "SIGTERM while idle"

export JCP_SIM_HOLD="$work/never"
start
xdotool key ctrl+s
wait_run
kill -TERM "$pid"
ended "SIGTERM while the tool runs"
pgrep -f "$work/app/jcp" >/dev/null && fail "the flash tool was left running"
# A SIGTERM while the window is still being built: sent as soon as the
# program holds a socket, its X connection at the latest.
rm -f "$settings"
"$work/app/vantrel" & pid=$!
for _ in $(seq 1000); do ls -l "/proc/$pid/fd" 2>/dev/null | grep -q socket: && break; done
kill -TERM "$pid"
ended "SIGTERM during start-up"
echo "smoke: all passed"
