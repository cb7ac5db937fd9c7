# The KDE Plasma part of run-wayland.sh: KWin on a virtual output, with KDE's portal backend and
# the global shortcuts service KWin hosts (kglobalaccel). KWin composites without OpenGL here, so
# it takes no screenshots: this bed is for what needs no picture (the global shortcuts). Keys go
# in through KWin's fake-input protocol, by the bed's helper kwin_fake_input; it adds
# RUN_WAYLAND_FAKE_INPUT, the helper's path.
# shellcheck shell=bash

desktop_tools=(kwin_wayland)

desktop_check() {
    kde_portal=$(ls /usr/lib/*/libexec/xdg-desktop-portal-kde /usr/libexec/xdg-desktop-portal-kde \
        2>/dev/null | head -n 1)
    if [ -z "$kde_portal" ]; then
        echo "run-wayland: xdg-desktop-portal-kde is missing; skipped" >&2
        exit 77
    fi
    [ -x "$helpers/kwin_fake_input" ] || fail "no fake-input helper at $helpers/kwin_fake_input"
}

start_desktop() {
    export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_DESKTOP=KDE KDE_SESSION_VERSION=5
    export KDE_FULL_SESSION=true LIBGL_ALWAYS_SOFTWARE=1
    use_portal_backends kde
    start_session_bus
    start_system_bus_stand_in
    # KWin's binary carries a file capability (to raise its own limits) that a container may
    # refuse to grant, and then it does not start at all; a plain copy carries none.
    cp "$(command -v kwin_wayland)" "$runtime/kwin_wayland" || fail "cannot copy kwin_wayland"
    # No lock screen, no questions for the fake input; QPainter compositing, there being no GPU.
    spawn kwin env KWIN_COMPOSE=Q KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 "$runtime/kwin_wayland" \
        --virtual --width "${size%x*}" --height "${size#*x}" --no-lockscreen --socket wayland-0
    local await_seconds=60
    await kwin '[ -S "$runtime/wayland-0" ] && bus_has org.kde.kglobalaccel'
    export WAYLAND_DISPLAY=wayland-0
    share_with_bus WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE KDE_SESSION_VERSION \
        XDG_DESKTOP_PORTAL_DIR
    spawn portal-kde "$kde_portal"
    await portal-kde 'bus_has org.freedesktop.impl.portal.desktop.kde'
    start_portal
    export RUN_WAYLAND_FAKE_INPUT=$helpers/kwin_fake_input
}
