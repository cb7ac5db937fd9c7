#!/usr/bin/env bash
# Builds the settings reader's fuzzer with clang in a tree of its own and runs it for a bounded
# time, starting from the seed files in corpus/ (the default file and hand-damaged ones) and from
# what earlier runs in the same tree found. Fails on any crash, leak, sanitizer report or broken
# invariant; the input that did it is left in the tree as crash-*, leak-* or timeout-*.
#   run-fuzz.sh SECONDS BUILD_DIR [extra libFuzzer options...]
set -euo pipefail
seconds=$1 dir=$2
shift 2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

compiler=""
for candidate in clang++-14 clang++; do
    if command -v "$candidate" >/dev/null; then compiler=$candidate; break; fi
done
if [ -z "$compiler" ]; then
    echo "run-fuzz: clang is not installed (Debian packages clang-14 and libclang-rt-14-dev)"
    exit 77
fi

if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S "$here" -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
fi
cmake --build "$dir"

mkdir -p "$dir/corpus"
cd "$dir"
# Settings files are small; 4 KiB leaves room for long texts without slowing the search down.
exec ./fuzz_decode_settings -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$dir/" "$@" \
    "$dir/corpus" "$here/corpus"
