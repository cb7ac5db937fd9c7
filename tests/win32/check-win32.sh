#!/usr/bin/env bash
# Compiles the Windows side of the platform layer with the 32-bit mingw-w64 cross-compiler, so a
# change to a capability's interface that the Win32 files do not follow is caught on Linux. Every
# platform/win32/*.cpp is taken, so a file added later is checked without touching this script.
# The files may include only <windows.h>, the standard library and the capability headers; the
# cross-compiler has no Qt, so anything else fails here.
# With --link the objects and seam_main.cpp are also linked into a tiny .exe, which proves that
# every capability the Win32 factory names is implemented.
#   check-win32.sh [--link] SOURCE_ROOT OUTPUT_DIR
set -euo pipefail
link=0
if [ "${1:-}" = --link ]; then link=1; shift; fi
root=$1 out=$2
compiler=${QUILLAN_MINGW_CXX:-i686-w64-mingw32-g++}
if ! command -v "$compiler" >/dev/null; then
    echo "check-win32: $compiler is not installed (Debian package g++-mingw-w64-i686)"
    exit 77
fi

flags=(-std=c++17 -O1 -Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers
       -Werror -I"$root")
mkdir -p "$out"
rm -f "$out"/*.o

sources=("$root"/platform/win32/*.cpp "$root"/platform/null/NullPlatform.cpp)
status=0
for source in "${sources[@]}"; do
    object="$out/$(basename "${source%.cpp}").o"
    if "$compiler" "${flags[@]}" -c "$source" -o "$object"; then
        echo "compiled ${source#"$root"/}"
    else
        echo "check-win32: ${source#"$root"/} does not compile for Windows" >&2
        status=1
    fi
done
[ $status -eq 0 ] || exit $status

if [ $link -eq 1 ]; then
    "$compiler" "${flags[@]}" -c "$root/tests/win32/seam_main.cpp" -o "$out/seam_main.o"
    "$compiler" -static -o "$out/seam.exe" "$out"/*.o -luser32 -lgdi32
    echo "linked seam.exe"
fi
