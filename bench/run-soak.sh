#!/usr/bin/env bash
# The memory a long run of keys and strokes leaves held: the end-to-end soak run long on a fresh
# Xvfb with no window manager, its high-water marks read from the test's recorded properties.
# Prints the rows of bench/RESULTS.md's soak table. The test itself asserts only what the user
# sees (the program answers, the text comes back as it was); the growth is judged here.
#   [SIZE=WIDTHxHEIGHT] bench/run-soak.sh BUILD_DIR [KEYS [STROKES]]
# BUILD_DIR is a tree with the tests (the bench preset: cmake --preset bench); it builds the
# program and the soak test in it first.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build-bench}
keys=${2:-100000}
strokes=${3:-10000}

cmake --build "$build" --target quillan e2e_soak_tests >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
E2E_SOAK_KEYS=$keys E2E_SOAK_STROKES=$strokes "$root/tests/e2e/run-e2e.sh" none "${SIZE:-1024x768}" \
    "$build/tests/e2e/e2e_soak_tests" --gtest_filter='UnderLoad.Keystrokes*' \
    --gtest_output=xml:"$out/soak.xml" >"$out/soak.log" 2>&1 \
    || { cat "$out/soak.log" >&2; echo "run-soak: the soak failed" >&2; exit 1; }

property() {
    sed -n "s/.*<property name=\"$1\" value=\"\([0-9]*\)\".*/\1/p" "$out/soak.xml" | head -n 1
}
row() { # label, property prefix
    local warm end
    warm=$(property "high_water_kb_$2_warm")
    end=$(property "high_water_kb_$2_end")
    printf '| %s | %s kB | %s kB | %+d kB |\n' "$1" "$warm" "$end" $((end - warm))
}
grep -E 'keystrokes, .* strokes: ' "$out/soak.log" || true
echo "| run | high-water after the first 1,000 | at the end | growth (goal ≤ +1,536 kB) |"
echo "|---|---|---|---|"
row "$keys keystrokes" keys
row "$strokes strokes (after the keys)" strokes
