#!/usr/bin/env bash
# Runs one end-to-end test program on a display of its own: a fresh Xvfb, with or without openbox.
#   run-e2e.sh none|openbox WIDTHxHEIGHT command [args...]
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
    kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.05; done
export DISPLAY=":$display"
export E2E_WM="$wm"

if [ "$wm" = openbox ]; then
    openbox --sm-disable >/dev/null 2>&1 &
    wmpid=$!
    for _ in $(seq 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
        sleep 0.05
    done
fi

"$@"
