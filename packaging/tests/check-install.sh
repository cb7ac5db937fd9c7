#!/usr/bin/env bash
# The program installed as a desktop program:
#   check-install.sh <build folder> <version> <application id> "<icon sizes>"
# 1. cmake --install into a prefix, and again with DESTDIR: exactly the expected tree.
# 2. The launcher entry and the AppStream metadata validate, and agree with the tree and version.
# 3. cpack -G DEB: the package's fields, its declared dependencies (a package for every library
#    the executable links, and fonts-liberation) and its contents, read back with dpkg-deb.
# 4. The installed program, run by a user whose home is empty under Xvfb (run-installed.sh).
set -euo pipefail
trap 'echo "check-install: stopped by a failing command at line $LINENO" >&2' ERR
build=$(cd "$1" && pwd)
version=$2 id=$3 sizes=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)

for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps cpack file Xvfb xdotool xwininfo xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "check-install: $tool is missing (scripts/setup.sh installs it)"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "check-install: FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "check-install: ok: $*"; }

expected_tree() {
    {
        echo bin/quillan
        echo share/vyn-quillane/Quillan.hlp
        echo "share/applications/$id.desktop"
        echo "share/metainfo/$id.metainfo.xml"
        echo share/doc/vyn-quillane/copyright
        for size in $sizes; do echo "share/icons/hicolor/${size}x${size}/apps/$id.png"; done
    } | sort
}

# 1. The installed tree, in a prefix and staged with DESTDIR.
cmake --install "$build" --prefix "$work/prefix" >/dev/null
DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
for tree in "$work/prefix" "$work/stage/usr"; do
    got=$(cd "$tree" && find . -type f -o -type l | sed 's|^\./||' | sort)
    if [ "$got" != "$(expected_tree)" ]; then
        fail "the tree in $tree differs from the expected one:"
        diff <(expected_tree) <(echo "$got") >&2 || true
    fi
done
[ "$(find "$work/stage" -mindepth 1 -maxdepth 1)" = "$work/stage/usr" ] \
    || fail "DESTDIR staging put something outside the prefix"
prefix=$work/prefix
[ -x "$prefix/bin/quillan" ] || fail "bin/quillan is not executable"
cmp -s "$prefix/share/vyn-quillane/Quillan.hlp" "$root/resources/Quillan.hlp" \
    || fail "the installed manual is not resources/Quillan.hlp"
for size in $sizes; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
    file -b "$icon" | grep -q "^PNG image data, $size x $size, 8-bit/color RGBA" \
        || fail "$icon is not a $size x $size RGBA PNG: $(file -b "$icon")"
done
ok "installed tree"

# 2. Launcher entry and metadata.
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli rejects $metainfo"
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec_name" ] || fail "Exec=$exec_name is not the installed executable"
[ "$(sed -n 's/^Icon=//p' "$desktop")" = "$id" ] || fail "Icon= is not $id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
    || fail "the metadata does not launch $id.desktop"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metadata's release is not $version"
ok "launcher entry and metadata"

# 3. The package.
cpack -G DEB -B "$work/package" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb' -print -quit)
if [ -z "$deb" ]; then
    fail "cpack made no .deb"
else
    field() { dpkg-deb -f "$deb" "$1"; }
    [ "$(field Package)" = vyn-quillane ] || fail "Package: $(field Package)"
    [ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
    [ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
    [ "$(field Section)" = graphics ] || fail "Section: $(field Section)"
    field Maintainer | grep -q '<.*@.*>' || fail "Maintainer without an address: $(field Maintainer)"
    [ "$(field Description | wc -l)" -ge 3 ] || fail "no long description"
    depends=$(field Depends)
    # Every library the executable links comes from a package the package depends on.
    # The cache is read once into a variable: a reader that stops at its match would end the
    # writer with SIGPIPE, which pipefail turns into the script's end.
    library_cache=$(ldconfig -p)
    for library in $(readelf -d "$prefix/bin/quillan" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        path=$(awk -v l="$library" '$1 == l && !found {print $NF; found = 1}' <<<"$library_cache")
        owner=$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -n1 | cut -d: -f1 || true)
        [ -z "$owner" ] && owner=$(dpkg -S "$path" 2>/dev/null | head -n1 | cut -d: -f1 || true)
        if [ -z "$owner" ]; then
            fail "no package owns $library ($path)"
        elif ! echo ", $depends," | grep -q ", $owner[ ,(]"; then
            fail "Depends lacks $owner (for $library): $depends"
        fi
    done
    echo ", $depends," | grep -q ', fonts-liberation[ ,(]' || fail "Depends lacks fonts-liberation: $depends"
    # The Wayland platform plugin is loaded, not linked: only a recommendation names it, and no
    # Depends (an X11 desktop does without it).
    recommends=$(field Recommends)
    echo ", $recommends," | grep -q ', qt6-wayland[ ,(]' || fail "Recommends lacks qt6-wayland: $recommends"
    echo ", $depends," | grep -q ', qt6-wayland[ ,(]' && fail "Depends names qt6-wayland: $depends"
    # The contents: the staged tree under /usr, owned by root, the executable stripped.
    listed=$(dpkg-deb -c "$deb")
    contents=$(echo "$listed" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./usr/||' | sort)
    [ "$contents" = "$(expected_tree)" ] || { fail "the package's files differ:"; diff <(expected_tree) <(echo "$contents") >&2 || true; }
    echo "$listed" | awk '{print $2}' | grep -qv '^root/root$' && fail "files not owned by root/root"
    echo "$listed" | awk '{print $6}' | grep -v '^\./$' | grep -qv '^\./usr/' && fail "files outside /usr"
    dpkg-deb -x "$deb" "$work/unpacked"
    file -b "$work/unpacked/usr/bin/quillan" | grep -q ', stripped' || fail "the packaged executable is not stripped"
    echo "check-install: $(basename "$deb"): $(stat -c %s "$deb") bytes; Depends: $depends; Recommends: $recommends"
    ok "package"
fi

# 4. The installed program, started by a user with an empty home, as root can too: its bin
# folder here is writable, and still nothing may be written there.
"$root/tests/e2e/run-e2e.sh" none 1024x768 "$here/run-installed.sh" "$prefix/bin/quillan" \
    || fail "the installed program did not run as it should"

[ "$failures" -eq 0 ] || { echo "check-install: $failures failures" >&2; exit 1; }
echo "check-install: all passed"
