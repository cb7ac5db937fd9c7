#!/usr/bin/env bash
# Start-up to the frozen screen painted on a Wayland desktop, the program beside the portal floor:
# a private headless sway with the desktop portal (tests/wayland/run-wayland.sh, the Wayland test
# bed), one output size per session, and the starts measured from outside with grim.
#   bench/run-wayland-start.sh BUILD_DIR   (a Release build: cmake --preset bench)
# RUNS (default 5) sets the starts of each program per size; SIZES the output sizes; PROGRAM
# another build of the program (the same floor).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$root/build-bench}" && pwd)
runs=${RUNS:-5}
program=${PROGRAM:-$build/quillan}
sizes=${SIZES:-"1280x720 1920x1080"}
bed=$root/tests/wayland/run-wayland.sh
pointer=$build/tests/wayland/virtual_pointer
[ -x "$pointer" ] || { echo "run-wayland-start: no $pointer (build with the tests on)" >&2; exit 1; }

echo "## Start-up on a Wayland desktop (headless sway, desktop portal; median of $runs starts)"
echo "Load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for size in $sizes; do
    echo "### $size"
    "$bed" --size "$size" --pointer "$pointer" "$build/bench/bench_wayland_start" \
        "$program" "$build/bench/bench_floor_portal" "$runs"
done
echo "Load after: $(cut -d' ' -f1-3 /proc/loadavg)"
