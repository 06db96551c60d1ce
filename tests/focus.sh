#!/bin/sh
# The keyboard works at once after a busy dialog, above all one that closed
# as soon as it was shown: after each operation, Ctrl+S must reach the flash
# tool without a click into the window first.
# Usage: focus.sh folder-of-vantrel [bare]   (inside xvfb-run; bare: without
# a window manager)
# Every step waits for what the program does, never for a set time: a busy
# machine makes the test slower, not flaky.
set -eu
work=$(mktemp -d)
pid="" keeper="" keys=""
trap 'kill $keys $pid $keeper 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A client connected throughout, the window manager or an idle one: once its
# last client has gone, the X server resets, and for a moment refuses the
# next window's connection.
focus=windowfocus
if [ "${2:-}" = bare ]; then
    xdotool sleep 3600 & keeper=$!
else
    focus=windowactivate
    openbox --startup "touch $work/wm" 2>/dev/null & keeper=$!
    for _ in $(seq 300); do [ -e "$work/wm" ] && break; sleep 0.05; done
    [ -e "$work/wm" ] || { echo "FAIL: the window manager did not start"; exit 1; }
fi

mkdir "$work/app" && cp "$1/vantrel" "$work/app/"
# A fake flash tool that records its arguments, runs $1, and records "end"
# as it ends; none when $1 is empty.
tool() {
    rm -f "$work/app/jcp"
    [ -n "$1" ] || return 0
    cat >"$work/app/jcp" <<EOF
#!/bin/sh
echo "\$*" >>"$work/runs"
trap 'echo end >>"$work/runs"' EXIT
$1
EOF
    chmod +x "$work/app/jcp"
}
# Waits up to 15 s for the condition $@ to hold.
until15() {
    for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
    return 1
}
# Waits up to 15 s for the record to hold the line $1.
recorded() { until15 grep -qsx -- "$1" "$work/runs"; }
busy='^Sending file to Skunkboard$'
busyHasKeys() { [ -n "$dialog" ] && [ "$(xdotool getwindowfocus 2>/dev/null)" = "$dialog" ]; }
busyGone() { ! xdotool search --onlyvisible --name "$busy" >/dev/null; }
# A window of the program's besides the main window: the File menu.
menuShown() { xdotool search --onlyvisible --pid "$pid" | grep -qvx "$main"; }

# operation name tool keys run [dialog-keys]: after the keys, waits until
# their operation has run and its tool has ended, then puts in the tool for
# Ctrl+S. run is the line the tool records, none for a missing tool;
# dialog-keys go to the busy dialog once it has the keyboard, and must close
# it while the tool waits.
operation() {
    if [ -z "$4" ]; then
        # A missing tool records nothing. The File menu, opened by a key
        # pressed after the operation's, shows the window has taken them all.
        # F10 by its key code: on Debian unstable's Xvfb, xdotool types the
        # F10 key symbol as Alt+F10.
        xdotool key 76
        until15 menuShown || { fail "$1: the keys never reached the window"; return; }
        xdotool key Escape Escape
    else
        recorded "$4" || { fail "$1: the operation never ran"; return; }
        if [ -n "${5:-}" ]; then
            dialog=$(timeout 15 xdotool search --sync --onlyvisible --name "$busy") || true
            until15 busyHasKeys || { fail "$1: the busy dialog never had the keyboard"; return; }
            xdotool key "$5"
            until15 busyGone || { fail "$1: $5 did not close the busy dialog"; return; }
            touch "$work/end"
        fi
        recorded end || { fail "$1: the tool never ended"; return; }
    fi
    tool "exit 0"
    # Ctrl+S every 0.3 s until the tool records it. Pressed while the
    # operation is still going, it changes nothing: the busy dialog blocks the
    # window, and the window starts no second run while one goes on. A slow
    # machine takes longer; a window that never takes the keyboard back never
    # records it, however long this waits.
    (while sleep 0.3; do xdotool key ctrl+s; done) & keys=$!
    recorded "-q -s" || fail "$1: Ctrl+S did not reach the window"
    kill "$keys"
    keys=""
}

# check name tool keys run [dialog-keys]: the keys start an operation, in a
# new window; see operation.
check() {
    rm -f "$work/runs" "$work/end"
    tool "$2"
    "$work/app/vantrel" & pid=$!
    main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Vantrel ') ||
        { echo "FAIL: $1: no window"; exit 1; }
    timeout 30 xdotool $focus --sync "$main" || { echo "FAIL: $1: no keyboard"; exit 1; }
    # shellcheck disable=SC2086 # the keys are separate words
    xdotool key --delay 50 $3
    operation "$@"
    kill -TERM "$pid"
    wait "$pid" || true
    pid=""
}

go="Tab Tab space"
check "missing tool, Go" "" "$go" ""
check "failing tool, Go" "echo no board found; exit 1" "$go" "-q "
check "quick tool, Go" "exit 0" "$go" "-q "
check "missing tool, update" "" ctrl+u ""
check "failing tool, update" "echo no board found; exit 1" ctrl+u "-q -u"
check "quick tool, update" "exit 0" ctrl+u "-q -u"
# Escape closes the busy dialog while the tool runs; the keys work again
# once the tool has ended.
check "Escape, Go" "until [ -e $work/end ]; do sleep 0.1; done" "$go" "-q " Escape

[ "$failures" -eq 0 ] || exit 1
echo "focus: all passed"
