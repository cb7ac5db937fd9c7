#!/usr/bin/env bash
# The cost of dragging a 72-point text block of eight lines beside one of a single line, per
# pointer move, on a fresh 1920 x 1080 Xvfb with no window manager; prints the rows of
# bench/RESULTS.md's text-drag table. Builds nothing.
#   bench/run-text-drag.sh BUILD_DIR   (a Release build is what the figures are for)
#   MOVES (default 200), INTERVALS between moves in ms (default "10 20"), RUNS (default 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: bench/run-text-drag.sh BUILD_DIR}

echo "## Dragging the text block (median of ${RUNS:-5} drags of ${MOVES:-200} moves each)"
echo "| screen | one move every | text block | CPU a move | ÷ one line (goal ≤ 1.5) | painted a move (mean) | ÷ one line (goal ≤ 1.5) | median move | ÷ one line | the press painted |"
echo "|---|---|---|---|---|---|---|---|---|---|"
for interval in ${INTERVALS:-10 20}; do
    "$root/tests/e2e/run-e2e.sh" none 1920x1080 "$build/bench/bench_text_drag" "$build/quillan" \
        "${MOVES:-200}" "$interval" "${RUNS:-5}"
done
