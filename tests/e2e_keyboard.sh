#!/bin/sh
# Drives the built vantrel program from outside, by keyboard only, on a real
# X server: shortcuts, the focus chain and a menu, then checks what the flash
# tool received and the settings written on quit.
# Usage: e2e_keyboard.sh path/to/vantrel   (run inside xvfb-run)
set -eu

vantrel=$1
work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    echo "runs recorded:"
    cat "$work/runs" 2>/dev/null || true
    exit 1
}

mkdir -p "$work/app" "$work/config"
cp "$vantrel" "$work/app/vantrel"
# A fake flash tool beside the program: one line per run, each argument in
# brackets so empty ones and blanks show.
cat > "$work/app/jcp" <<'TOOL'
#!/bin/sh
line=""
for argument in "$@"; do line="$line[$argument]"; done
printf '%s\n' "$line" >> "$JCP_FAKE_RECORD"
echo "fake jcp: done"
TOOL
chmod +x "$work/app/jcp"
printf 'not really a game' > "$work/game image.rom"

export JCP_FAKE_RECORD="$work/runs"
export XDG_CONFIG_HOME="$work/config"
export QT_QPA_PLATFORM=xcb
: > "$work/runs"

# There is no window manager under Xvfb to hand the focus back to the main
# window when a dialog closes; a desktop does that for the user.
refocus() { xdotool windowfocus --sync "$window"; sleep 0.3; }
key() { xdotool key --delay 60 "$@"; sleep 0.15; }
type_text() { xdotool type --delay 20 "$1"; sleep 0.15; }
runs() { wc -l < "$work/runs"; }
wait_runs() {
    tries=0
    while [ "$(runs)" -lt "$1" ]; do
        tries=$((tries + 1))
        [ "$tries" -gt 100 ] && fail "expected $1 runs of the tool"
        sleep 0.1
    done
}

"$work/app/vantrel" &
pid=$!
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Vantrel v 0\.0\.3') \
    || fail "the main window did not appear"
xdotool windowfocus --sync "$window"
sleep 0.5

# "Use Word Flash Mode" from the Tools menu: Alt opens the menu bar, Right
# moves to Tools, and the switch is the fifth entry (the separator is skipped).
key alt
key Right Down
key Down Down Down Down Return
sleep 0.3

# The focus chain, from "Select File": the file field, "Go", the tab bar,
# then the options of the page.
key Tab
type_text "$work/game image.rom"
key Tab Tab Tab space           # Override Address
key Tab
type_text "0x802000"
key Tab space                   # Skip header bytes
key Tab
type_text "8192"
key Tab Tab space               # past Skip Boot to "Is Flash?"
key Tab Right                   # into the banks: Bank 2
# Back to "Go" and press it.
key shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
key space
wait_runs 1
sleep 0.5
refocus

key ctrl+r
wait_runs 2
key ctrl+s
wait_runs 3

key ctrl+1
timeout 10 xdotool search --sync --onlyvisible --name 'Select file to dump bank 1 ROM to' >/dev/null \
    || fail "the save dialog did not appear"
sleep 0.3
key ctrl+a
type_text "$work/bank1 dump.rom"
key Return
wait_runs 4
sleep 0.5
refocus

key ctrl+q
tries=0
while kill -0 "$pid" 2>/dev/null; do
    tries=$((tries + 1))
    [ "$tries" -gt 100 ] && fail "Ctrl+Q did not quit"
    sleep 0.1
done
wait "$pid" || fail "vantrel exited with status $?"
pid=""

expected=$(cat <<EXPECTED
[-q][-o][-2][-w][-f][-h][8192][$work/game image.rom][0x802000]
[-r]
[-q][-s]
[-q][-d][$work/bank1 dump.rom]
EXPECTED
)
[ "$(cat "$work/runs")" = "$expected" ] || fail "the tool got other argument lists; expected:
$expected"

settings="$work/config/Dunmarrow/Vantrel.conf"
[ -f "$settings" ] || fail "no settings written on quit"
grep -qx "defdir=$work/bank1 dump.rom" "$settings" || fail "defdir not stored: $(cat "$settings")"
grep -qx "rev1=false" "$settings" || fail "rev1 not stored: $(cat "$settings")"
grep -qx "wordflash=true" "$settings" || fail "wordflash not stored: $(cat "$settings")"

echo "PASS: keyboard session ran 4 tool commands and stored the settings"
