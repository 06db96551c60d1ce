#!/bin/sh
# The keyboard works at once after a busy dialog, above all one that closed
# as soon as it was shown: after each operation, Ctrl+S must reach the flash
# tool without a click into the window first.
# Usage: focus.sh folder-of-vantrel [bare]   (inside xvfb-run; bare: without
# a window manager)
set -eu
work=$(mktemp -d)
pid="" wm=""
trap 'kill $pid $wm 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

focus=windowfocus
if [ "${2:-}" != bare ]; then
    focus=windowactivate
    openbox --startup "touch $work/wm" 2>/dev/null & wm=$!
    for _ in $(seq 100); do [ -e "$work/wm" ] && break; sleep 0.05; done
    [ -e "$work/wm" ] || { echo "FAIL: the window manager did not start"; exit 1; }
fi

mkdir "$work/app" && cp "$1/vantrel" "$work/app/"
# A fake flash tool that records its arguments, then runs $1; none when empty.
tool() {
    rm -f "$work/app/jcp"
    [ -n "$1" ] || return 0
    printf '#!/bin/sh\necho "$*" >>"%s/runs"\n%s\n' "$work" "$1" >"$work/app/jcp"
    chmod +x "$work/app/jcp"
}
# Waits up to 5 s for the record to hold the line $1.
recorded() {
    for _ in $(seq 50); do grep -qx -- "$1" "$work/runs" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

# check name tool keys expected-run: the keys start an operation that shows
# the busy dialog; once only the main window is left, Ctrl+S must be
# recorded by a tool that reads the serial number.
check() {
    rm -f "$work/runs"
    tool "$2"
    "$work/app/vantrel" & pid=$!
    timeout 10 xdotool search --sync --onlyvisible --name '^Vantrel ' $focus --sync \
        >/dev/null || { echo "FAIL: $1: no window"; exit 1; }
    # shellcheck disable=SC2086 # the keys are separate words
    xdotool key --delay 50 $3
    if [ -n "$4" ]; then recorded "$4" || fail "$1: the operation never ran"; fi
    for _ in $(seq 50); do
        [ "$(xdotool search --onlyvisible --pid "$pid" | wc -l)" -eq 1 ] && break
        sleep 0.1
    done
    for _ in $(seq 50); do pgrep -f "$work/app/jcp" >/dev/null || break; sleep 0.1; done
    tool "exit 0"
    xdotool key ctrl+s
    recorded "-q -s" || fail "$1: Ctrl+S did not reach the window"
    kill -TERM "$pid"
    wait "$pid" || true
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
check "Escape, Go" "sleep 1" "$go Escape" "-q "

[ "$failures" -eq 0 ] || exit 1
echo "focus: all passed"
