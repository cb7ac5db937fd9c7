#!/usr/bin/env bash
# Runs an installed program as a user whose home is empty, on the X display in $DISPLAY
# (tests/e2e/run-e2e.sh makes one), and drives it as that user would with xdotool:
#   run-installed.sh <installed executable> [home folder, empty; a new one by default]
# First start: the one start-up message (no settings yet), closed with Return; the overlay covers
# the screen; a typed letter; Alt+F4 saves into $HOME/.config/vyn-quillane/QUILLAN.DAT and nothing
# is written beside the executable. Second start: no message, the typed text is back; Alt+F4.
set -euo pipefail
program=$1
home=${2:-}
if [ -z "$home" ]; then
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
fi
bin_folder=$(dirname "$program")
settings=$home/.config/vyn-quillane/QUILLAN.DAT
pid=""
log=$(mktemp)

fail() {
    echo "run-installed: FAIL: $*" >&2
    echo "--- the program's output:" >&2
    cat "$log" >&2
    [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null
    exit 1
}
# Polls `condition` (a command) every 0.1 s for at most `tenths` tenths of a second. A bound on
# waiting for a hung program, never a measurement.
wait_for() {
    local tenths=$1
    shift
    for _ in $(seq "$tenths"); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
running() { kill -0 "$pid" 2>/dev/null; }
ended() { ! running; }
# Mapped windows of the program whose title is exactly $1.
windows_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; }
message_boxes() { windows_named ' Vyn Quillane'; }
has_message_box() { [ -n "$(message_boxes)" ]; }
no_message_box() { [ -z "$(message_boxes)" ]; }
screen_size=$(xdpyinfo | awk '/dimensions:/ {print $2}')
# The overlay: a window of the program as large as the screen.
find_overlay() {
    local w geometry
    for w in $(windows_named 'Vyn Quillane'); do
        geometry=$(xwininfo -id "$w" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
        [ "$geometry" = "$screen_size" ] && { echo "$w"; return 0; }
    done
    return 1
}
has_overlay() { find_overlay >/dev/null; }

start() {
    # Nothing of the caller's environment: no XDG_CONFIG_HOME, so the per-user folder is the
    # default one under $HOME.
    env -i HOME="$home" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        QT_QPA_PLATFORM=xcb "$program" >>"$log" 2>&1 &
    pid=$!
}
close_message_box() {
    local box
    box=$(message_boxes | head -n1)
    local x y
    eval "$(xdotool getwindowgeometry --shell "$box")"
    for _ in 1 2 3 4 5; do
        xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) key Return
        wait_for 20 no_message_box && return 0
    done
    return 1
}
exit_with_alt_f4() {
    xdotool mousemove 512 384 key alt+F4
    wait_for 200 ended || fail "the program did not end on Alt+F4 ($(message_boxes | wc -l) message boxes open)"
    wait "$pid" || fail "the program ended with status $?"
    pid=""
}

[ -x "$program" ] || fail "$program is not an executable"
[ -z "$(ls -A "$home")" ] || fail "the home folder $home is not empty"

# First start: the single start-up message, then the overlay.
start
wait_for 300 has_message_box || fail "no start-up message on the first start"
[ "$(message_boxes | wc -l)" -eq 1 ] || fail "more than one message box at the first start"
close_message_box || fail "the start-up message would not close"
wait_for 300 has_overlay || fail "no overlay covering the screen ($screen_size)"
# The start-up message comes before the overlay is shown, so none may be open now.
no_message_box || fail "a second message box at the first start"
# Typing goes on once the program has given its windows the keyboard.
overlay=$(find_overlay)
overlay_has_focus() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$overlay" ]; }
wait_for 300 overlay_has_focus || fail "the overlay never took the keyboard"
xdotool mousemove 512 384 type x
exit_with_alt_f4
[ -f "$settings" ] || fail "no settings file at $settings; home holds: $(find "$home" -type f)"
grep -Eq 'xHello!|Hello!x' "$settings" || fail "the settings file does not hold the typed text"
[ "$(stat -c %s "$settings")" -eq 86 ] || fail "the settings file is $(stat -c %s "$settings") bytes, not 86"
if ls "$bin_folder" | grep -qi 'quillan.dat'; then fail "a settings file was written beside the executable"; fi

# Second start: the per-user file is read, so no message, and the text is back (the exit saves
# what is on screen).
start
wait_for 300 has_overlay || fail "no overlay on the second start"
no_message_box || fail "a message box on the second start"
exit_with_alt_f4
grep -Eq 'xHello!|Hello!x' "$settings" || fail "the second run lost the text"
rm -f "$log"
echo "run-installed: the installed program started twice and saved into $settings"
