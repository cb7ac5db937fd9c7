# The GNOME part of run-wayland.sh: GNOME Shell headless on a virtual monitor of the bed's size,
# with a stand-in system bus, PipeWire and GNOME's portal backends. The bed opens the shell's
# test interfaces (its Eval and Screenshot methods, "unsafe mode") through a tiny extension of its
# own, so that tests take screenshots through the shell and give input through the compositor's
# own virtual devices (Clutter's, created in Eval). The desktop is plain: no animations, no
# screen lock, no banners, no overview at start-up, no hot corner.
# shellcheck shell=bash

desktop_tools=(gnome-shell gdbus pipewire /usr/libexec/xdg-desktop-portal-gnome)

desktop_check() { :; }

# Runs JavaScript in the shell; its JSON result, or nothing when it failed.
shell_eval() {
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Eval "$1" 2>/dev/null | sed -n "s/^(true, '\(.*\)')$/\1/p"
}

start_desktop() {
    export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_DESKTOP=gnome
    # Software rendering, one thread of it: the machine's cores are for the programs under test.
    export LIBGL_ALWAYS_SOFTWARE=1 LP_NUM_THREADS=1
    # The settings are a file written before anything starts (no settings service to wait for).
    export GSETTINGS_BACKEND=keyfile
    mkdir -p "$XDG_CONFIG_HOME/glib-2.0/settings"
    cat >"$XDG_CONFIG_HOME/glib-2.0/settings/keyfile" <<SETTINGS
[org/gnome/shell]
enabled-extensions=['quillan-bed@tests']
disable-user-extensions=false
welcome-dialog-last-shown-version='999'

[org/gnome/desktop/interface]
enable-animations=false
enable-hot-corners=false

[org/gnome/desktop/session]
idle-delay=uint32 0

[org/gnome/desktop/screensaver]
lock-enabled=false

[org/gnome/desktop/notifications]
show-banners=false

[org/gnome/desktop/background]
picture-uri=''
picture-uri-dark=''
primary-color='#2e5c8a'
SETTINGS
    local extension=$XDG_DATA_HOME/gnome-shell/extensions/quillan-bed@tests
    mkdir -p "$extension"
    cat >"$extension/metadata.json" <<'JSON'
{"uuid": "quillan-bed@tests", "name": "Test bed", "description": "Opens the shell's test interfaces to the test bed", "shell-version": ["43", "44", "45"]}
JSON
    cat >"$extension/extension.js" <<'JS'
// The shell of a test bed: its Eval and Screenshot methods open to the tests (GNOME 43 has no
// command-line switch for that), and the desktop shown at once rather than the overview.
const Main = imports.ui.main;

class TestBed {
    enable() {
        global.context.unsafe_mode = true;
        const leaveOverview = () => Main.overview.hide();
        if (Main.layoutManager._startingUp)
            Main.layoutManager.connect('startup-complete', leaveOverview);
        else
            leaveOverview();
    }

    disable() {}
}

function init() {
    return new TestBed();
}
JS

    use_portal_backends gnome gnome-shell
    start_session_bus
    start_system_bus_stand_in
    spawn gnome-shell gnome-shell --headless --wayland --no-x11 --virtual-monitor "$size"
    local await_seconds=60
    await gnome-shell '[ -S "$runtime/wayland-0" ]'
    export WAYLAND_DISPLAY=wayland-0
    await gnome-shell '[ "$(shell_eval "!Main.layoutManager._startingUp && !Main.overview.visible")" = true ]'
    share_with_bus WAYLAND_DISPLAY XDG_CURRENT_DESKTOP XDG_SESSION_TYPE GSETTINGS_BACKEND \
        XDG_DESKTOP_PORTAL_DIR
    spawn pipewire pipewire
    await pipewire '[ -S "$runtime/pipewire-0" ]'
    spawn portal-gnome /usr/libexec/xdg-desktop-portal-gnome
    await portal-gnome 'bus_has org.freedesktop.impl.portal.desktop.gnome'
    start_portal
    # The seat's keyboard and pointer, made once: a keyboard made for each key would lose the
    # first keys while the compositor takes it in.
    [ "$(shell_eval "const seat = imports.gi.Clutter.get_default_backend().get_default_seat();
        const Type = imports.gi.Clutter.InputDeviceType;
        global.bedKeyboard = seat.create_virtual_device(Type.KEYBOARD_DEVICE);
        global.bedPointer = seat.create_virtual_device(Type.POINTER_DEVICE); true")" = true ] \
        || fail "GNOME Shell made no virtual devices"
}
