#!/usr/bin/env bash
# Start-up to the frozen screen painted on a Wayland desktop, the program beside two floors: one
# that takes the desktop portal's screenshot and one that copies the output straight from the
# compositor (wlroots' screen copy, as the program does on sway). A private headless sway with the
# desktop portal (tests/wayland/run-wayland.sh, the Wayland test bed), one output size per session,
# the three started in turn, and the starts measured from outside: every frame of the output through
# the compositor's screen copy (bench/BenchFrames.h), or grim's screenshots with BENCH_WATCH=grim.
#   bench/run-wayland-start.sh [BUILD_DIR]   (a Release build with the tests: cmake --preset bench)
# RUNS (default 5) sets the starts of each program per size; SIZES the output sizes (default
# 1920x1080 3840x2160); PROGRAM another build of the program (the same floors); BEFORE a second
# build of the program that takes part in the same alternation (put it under BUILD_DIR: the bed's
# /tmp is its own). The machine's load is printed with every size, before and after.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build-bench}" && pwd)
runs=${RUNS:-5}
program=${PROGRAM:-$build/quillan}
sizes=${SIZES:-"1920x1080 3840x2160"}
bed=$root/tests/wayland/run-wayland.sh
pointer=$build/tests/wayland/virtual_pointer
[ -x "$pointer" ] || { echo "run-wayland-start: no $pointer (build with the tests on)" >&2; exit 1; }

echo "## Start-up on a Wayland desktop (headless sway; median of $runs starts)"
echo "$(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores"
for size in $sizes; do
    echo "### $size"
    echo "Load before: $(uptime | sed 's/.*load average: //')"
    "$bed" --size "$size" --pointer "$pointer" "$build/bench/bench_wayland_start" \
        "$program" "$build/bench/bench_floor_portal" "$runs" "$build/bench/bench_floor_screencopy" \
        ${BEFORE:+"$BEFORE"}
    echo "Load after: $(uptime | sed 's/.*load average: //')"
done
