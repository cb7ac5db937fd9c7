#!/usr/bin/env bash
# Runs one end-to-end test program on a display of its own: a fresh Xvfb, with no window manager,
# under openbox, or under xfwm4 with its compositor on (the window manager then draws the screen
# from the windows' own pictures, as on a compositing desktop).
#   run-e2e.sh none|openbox|xfwm4 WIDTHxHEIGHT command [args...]
set -u
wm=$1 size=$2
shift 2

display=""
for n in $(seq 90 160); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "run-e2e: no free X display number" >&2; exit 1; }

Xvfb ":$display" -screen 0 "${size}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    [ -n "${wmpid:-}" ] && kill "$wmpid" 2>/dev/null
    [ -n "${buspid:-}" ] && kill "$buspid" 2>/dev/null
    [ -n "${busdir:-}" ] && rm -rf "$busdir"
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=":$display"
export E2E_WM="$wm"

case $wm in
    none) ;;
    openbox)
        openbox --sm-disable >/dev/null 2>&1 &
        wmpid=$!
        ;;
    xfwm4)
        # xfwm4 reads its settings over D-Bus and will not start without a session bus: it gets
        # a private one, which goes with it.
        command -v xfwm4 >/dev/null || { echo "run-e2e: xfwm4 is missing" >&2; exit 1; }
        busdir=$(mktemp -d)
        dbus-daemon --session --nofork --address="unix:path=$busdir/bus" >/dev/null 2>&1 &
        buspid=$!
        for _ in $(seq 100); do [ -S "$busdir/bus" ] && break; sleep 0.05; done
        DBUS_SESSION_BUS_ADDRESS="unix:path=$busdir/bus" NO_AT_BRIDGE=1 \
            xfwm4 --compositor=on >/dev/null 2>&1 &
        wmpid=$!
        ;;
    *) echo "run-e2e: unknown window manager $wm" >&2; exit 2 ;;
esac
if [ "$wm" != none ]; then
    for _ in $(seq 200); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' \
        || { echo "run-e2e: $wm did not start" >&2; exit 1; }
fi

"$@"
