#!/usr/bin/env bash
# Runs the benchmarks on fresh Xvfb displays and prints their rows.
#   bench/run.sh BUILD_DIR   (a Release build is what the figures are for)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-bench}
runs=${RUNS:-9}
e2e=$root/tests/e2e/run-e2e.sh

echo "## Start-up and memory (median of $runs starts)"
for size in 1920x1080 3840x2160; do
    "$e2e" none "$size" "$build/bench/bench_startup" "$build/quillan" \
        "$build/bench/bench_floor_snapshot" "$runs"
done
