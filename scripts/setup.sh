# Shared by scripts/run and scripts/test: installs what the program needs to build, run and be
# tested on Debian 12, unless it is there already.
# shellcheck shell=bash

QUILLAN_PACKAGES=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev libgl-dev libx11-dev libxi-dev libxtst-dev libxdamage-dev libgtest-dev
    qt6-wayland libwayland-dev libwayland-bin wayland-protocols
    fonts-liberation
)
# Tests also need a virtual display and its tools, the 32-bit Windows cross-compiler for the check
# of platform/win32/, and clang with its sanitizer and fuzzer runtimes for the settings fuzzer.
QUILLAN_TEST_PACKAGES=(xvfb xdotool x11-utils openbox g++-mingw-w64-i686 clang-14 libclang-rt-14-dev)
# The test of the wait for a compositor's repaint redirects a window itself (libxcomposite-dev).
QUILLAN_TEST_PACKAGES+=(libxcomposite-dev)
# A compositing window manager (xfwm4 with its compositor; it needs a session bus) for the check
# that every window is drawn on a composited screen.
QUILLAN_TEST_PACKAGES+=(xfwm4 dbus-daemon)
# The install test validates the launcher entry and the AppStream file and builds and reads the
# Debian package (dpkg-shlibdeps is in dpkg-dev).
QUILLAN_PACKAGE_TOOLS=(desktop-file-utils appstream dpkg-dev file)
QUILLAN_TEST_PACKAGES+=("${QUILLAN_PACKAGE_TOOLS[@]}")
# The Wayland tests run in a private headless desktop (tests/wayland/run-wayland.sh): a wlroots
# compositor, a session bus, PipeWire (the wlroots portal backend will not start without it), the
# desktop portal with its wlroots backend and the gtk one (which answers the portal's access
# questions), keys (wtype), screenshots (grim), and the Wayland client headers for the helper that
# gives the seat a pointer.
QUILLAN_WAYLAND_TEST_PACKAGES=(
    sway dbus-daemon pipewire xdg-desktop-portal xdg-desktop-portal-wlr xdg-desktop-portal-gtk
    wtype grim libwayland-dev
)
QUILLAN_TEST_PACKAGES+=("${QUILLAN_WAYLAND_TEST_PACKAGES[@]}")
# The same bed with GNOME Shell (headless), GNOME's portal backend and gdbus, which the bed and the
# program's message use; and with KWin, KDE's portal backend (a Qt 5 program: its Wayland plugin
# and the QML modules it loads at every call) and the global shortcuts service KWin hosts.
QUILLAN_DESKTOP_TEST_PACKAGES=(
    gnome-shell mutter gnome-settings-daemon xdg-desktop-portal-gnome libglib2.0-bin
    kwin-wayland xdg-desktop-portal-kde qtwayland5 plasma-workspace
    qml-module-qtquick-layouts qml-module-qtquick-controls2 qml-module-org-kde-kirigami2
)
QUILLAN_TEST_PACKAGES+=("${QUILLAN_DESKTOP_TEST_PACKAGES[@]}")
# The benchmark beside the peers (bench/run-peers.sh) runs two Debian annotation programs: a live
# overlay and a screenshot annotator; the first-frame benchmark (bench/run-first-frame.sh) also
# runs a compositing manager. Only those scripts install them; the tests never need them.
QUILLAN_BENCH_PACKAGES=(xvfb gromit-mpx flameshot picom libxdamage-dev libxext-dev)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]} ..."
    # Another install on the machine holds the package lock for a while: wait for it.
    as_root apt-get -o DPkg::Lock::Timeout=600 update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq \
        --no-install-recommends "${missing[@]}"
}

# Configures and builds a tree. Configuring again is quick, and it lets options added since the
# tree was made take effect.
build_tree() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$QUILLAN_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir"
}
