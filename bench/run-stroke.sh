#!/usr/bin/env bash
# The cost of a long stroke, at 1920 x 1080 and 3840 x 2160, each on a fresh Xvfb with no window
# manager; prints the rows of bench/RESULTS.md's stroke table.
#   bench/run-stroke.sh BUILD_DIR   (a Release build is what the figures are for)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-bench}
runs=${RUNS:-5}
e2e=$root/tests/e2e/run-e2e.sh

echo "## A stroke of 2,000 moves (median of $runs strokes)"
echo "| screen | program CPU | floor CPU | ratio (goal ≤ 1.2) | last move to screen | floor |"
echo "|---|---|---|---|---|---|"
for size in 1920x1080 3840x2160; do
    "$e2e" none "$size" "$build/bench/bench_stroke" "$build/quillan" \
        "$build/bench/bench_floor_stroke" "$runs"
done
