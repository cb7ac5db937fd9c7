# The sway part of run-wayland.sh: a headless sway with no window borders, screenshots through
# grim and the wlroots portal backend (with the gtk one for the portal's access questions), keys
# through wtype and the pointer through a virtual pointer of the bed's own. It adds SWAYSOCK and
# RUN_WAYLAND_POINTER (the pointer helper, for tests that drive a pointer of their own).
# shellcheck shell=bash

desktop_tools=(sway swaymsg pipewire /usr/libexec/xdg-desktop-portal-wlr
    /usr/libexec/xdg-desktop-portal-gtk)

desktop_check() {
    [ -x "$pointer" ] || fail "no virtual-pointer helper at $pointer"
}

# The second output (--second-output), right of the first: its left edge at the first's width in
# the layout.
second_output_config() {
    [ -n "$second" ] || return 0
    local mode=${second%@*} second_scale=1 width=${size%x*}
    [ "$second" != "$mode" ] && second_scale=${second#*@}
    echo "output HEADLESS-2 resolution $mode scale $second_scale position $(awk -v w="$width" \
        -v s="$scale" 'BEGIN { printf "%d", w / s }') 0 bg #5c2e8a solid_color"
}

start_desktop() {
    export XDG_CURRENT_DESKTOP=sway XDG_SESSION_DESKTOP=sway
    export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=1

    # The compositor. Settings in the configuration, not made at run time, so the first frame
    # already has them. (The cursor is never hidden when idle: sway takes the pointer focus away
    # with it, and the next press reaches nobody. A window that asks for the keyboard when it
    # shows gets it, as the manual tells sway's users to set: sway's default only marks it urgent.)
    cat >"$runtime/sway.conf" <<CONF
xwayland disable
output * resolution $size scale $scale position 0 0 bg #2e5c8a solid_color
$(second_output_config)
seat seat0 xcursor_theme blank 24
default_border none
default_floating_border none
focus_follows_mouse no
focus_on_window_activation smart
CONF
    spawn sway sway --config "$runtime/sway.conf"
    await sway 'ls "$runtime"/wayland-[0-9] >/dev/null 2>&1 && ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1'
    WAYLAND_DISPLAY=$(basename "$(ls "$runtime"/wayland-[0-9] | head -n 1)")
    SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock | head -n 1)
    export WAYLAND_DISPLAY SWAYSOCK
    await sway 'swaymsg -t get_outputs >/dev/null 2>&1'
    if [ -n "$second" ]; then
        swaymsg -q create_output
        await sway 'swaymsg -t get_outputs 2>/dev/null | grep -q HEADLESS-2'
        # The first output keeps the focus until a test moves it.
        swaymsg -q focus output HEADLESS-1
    fi

    # The session bus, started once the display is known so that whatever it starts on demand
    # finds the compositor.
    use_portal_backends wlr gtk
    start_session_bus

    # The wlroots portal backend ends at once without PipeWire, even for screenshots.
    spawn pipewire pipewire
    await pipewire '[ -S "$runtime/pipewire-0" ]'
    spawn portal-wlr /usr/libexec/xdg-desktop-portal-wlr
    await portal-wlr 'bus_has org.freedesktop.impl.portal.desktop.wlr'
    # The portal exports its Screenshot interface only when some backend answers its Access
    # questions; on Debian 12 that is the gtk one.
    spawn portal-gtk /usr/libexec/xdg-desktop-portal-gtk
    await portal-gtk 'bus_has org.freedesktop.impl.portal.desktop.gtk'
    # A global-shortcuts backend of the test's own (--shortcuts-backend), registered for sway.
    if [ -n "$shortcuts" ]; then
        spawn portal-shortcuts "$shortcuts"
        await portal-shortcuts 'bus_has org.freedesktop.impl.portal.desktop.quillantest'
        printf '[portal]\nDBusName=%s\nInterfaces=%s\nUseIn=sway;\n' \
            org.freedesktop.impl.portal.desktop.quillantest \
            org.freedesktop.impl.portal.GlobalShortcuts >"$runtime/portals/quillantest.portal"
    fi
    start_portal

    # A pointer for the seat (a headless compositor has no input devices).
    spawn pointer "$pointer"
    export RUN_WAYLAND_POINTER=$(readlink -f "$pointer")
    await pointer 'grep -q ready "$log/pointer.log" 2>/dev/null'
    swaymsg -q seat seat0 cursor set 0 0
    # A keyboard that stays: each wtype brings a keyboard of its own, and while the seat has none
    # at all the first key of the next one is lost.
    spawn keyboard wtype -s 86400000 ""
    await keyboard 'swaymsg -t get_seats 2>/dev/null | grep -q keyboard'
}
