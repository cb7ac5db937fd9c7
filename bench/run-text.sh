#!/usr/bin/env bash
# Runs the text-entry benchmarks on fresh Xvfb displays and prints their rows: the cost of a key
# with long texts, and the idle CPU of the blinking caret, each beside its floor.
#   bench/run-text.sh BUILD_DIR   (a Release build is what the figures are for)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-bench}
e2e=$root/tests/e2e/run-e2e.sh

echo "## Keystrokes with long texts"
"$e2e" none 1920x1080 "$build/bench/bench_keys" "${KEYS:-200}" "${ROUNDS:-5}"
echo
echo "## Idle CPU with the caret blinking (median of ${RUNS:-5} runs)"
echo "| stretch | program | floor | ratio (goal <= 1.2) |"
echo "|---|---|---|---|"
"$e2e" none 1920x1080 "$build/bench/bench_idle" "$build/quillan" \
    "$build/bench/bench_floor_blink" "${SECONDS_IDLE:-10}" "${RUNS:-5}"
