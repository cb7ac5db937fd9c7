#!/usr/bin/env bash
# Runs one command inside a private Wayland desktop of its own: a headless compositor, a private
# D-Bus session bus, the desktop portal with the backends that desktop uses, and a way to give the
# seat input. Everything goes when the command ends, whatever way it ends.
#
#   run-wayland.sh [--desktop NAME] [--size WxH] [--scale N] [--second-output WxH@N]
#                  [--shortcuts-backend PATH] [--pointer PATH] [--keep-log DIR] command [args...]
#
#   --desktop  sway (the default), gnome or kwin: what is particular to each desktop (its
#              compositor, its portal backends, its input) is in desktops/NAME.sh beside this
#   --size     the output's mode in device pixels (default 1280x720)
#   --scale    the output's scale (default 1; fractional scales such as 1.5 too; sway only)
#   --second-output  a second output of that mode and scale, right of the first (sway only)
#   --shortcuts-backend  a program that serves the portal's global shortcuts as the backend
#              org.freedesktop.impl.portal.desktop.quillantest (the portal uses it for sway)
#   --pointer  sway's virtual-pointer helper (default: virtual_pointer beside the command, or
#              $QUILLAN_VIRTUAL_POINTER)
#   --keep-log copy the session's logs (compositor, portals, PipeWire) into DIR at the end
#
# The command runs with WAYLAND_DISPLAY, DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR and
# QT_QPA_PLATFORM=wayland set, RUN_WAYLAND_DESKTOP naming the desktop, and whatever the desktop's
# part adds (sway: SWAYSOCK, swaymsg, grim and wtype at hand; see each part).
# RUN_WAYLAND_PRIVATE_TMP is 1 when /tmp is private to the session: the screenshot portal of
# wlroots writes every picture to the fixed file /tmp/out.png, which must not be shared with the
# rest of the machine.
#
# Run as root (as CI does), the session gets a mount and a PID namespace of its own (a private
# /tmp, and nothing left behind: when the session ends the kernel ends every process in it) and
# runs as the unprivileged user "nobody", since the compositors refuse to run as root. Run as an
# ordinary user, it runs as that user, shares /tmp, and ends its processes by their ids and
# session.
set -u

self=$(readlink -f "$0")
args=("$@")
desktop=sway size=1280x720 scale=1 pointer=${QUILLAN_VIRTUAL_POINTER:-} keep_log="" second=""
shortcuts=""
while [ $# -gt 0 ]; do
    case $1 in
        --desktop) desktop=$2; shift 2 ;;
        --size) size=$2; shift 2 ;;
        --scale) scale=$2; shift 2 ;;
        --second-output) second=$2; shift 2 ;;
        --shortcuts-backend) shortcuts=$2; shift 2 ;;
        --pointer) pointer=$2; shift 2 ;;
        --keep-log) keep_log=$2; shift 2 ;;
        --) shift; break ;;
        -*) echo "run-wayland: unknown option $1" >&2; exit 2 ;;
        *) break ;;
    esac
done
[ $# -gt 0 ] || { sed -n '2,16p' "$self" >&2; exit 2; }
# The helpers built beside the command (the pointer, the input of other desktops).
helpers="$(dirname "$(readlink -f "$(command -v "$1" || echo "$1")")")"
[ -n "$pointer" ] || pointer=$helpers/virtual_pointer
stage=${RUN_WAYLAND_STAGE:-outer}
test_user=nobody

fail() { echo "run-wayland: $*" >&2; exit 1; }

desktop_part=$(dirname "$self")/desktops/$desktop.sh
[ -f "$desktop_part" ] || fail "no desktop $desktop (no $desktop_part)"
# The desktop's part: desktop_tools (what it needs), desktop_check (whatever else it must find
# before anything starts) and start_desktop.
# shellcheck source=/dev/null
source "$desktop_part"
for tool in dbus-daemon /usr/libexec/xdg-desktop-portal "${desktop_tools[@]}"; do
    if ! command -v "$tool" >/dev/null; then
        # Skipped, not failed: scripts/setup.sh installs the Wayland test packages.
        echo "run-wayland: $tool is missing; skipped" >&2
        exit 77
    fi
done
desktop_check

# The session runs as $test_user with a /tmp of its own, but the files it runs (this checkout, the
# build, the command, the pointer helper) must stay at their paths and within the user's reach: a
# checkout under /tmp would be hidden by the private /tmp, and one under a folder that the user may
# not enter (/root) could not be reached at all. Inside the session's mount namespace each such
# tree is bound back at its own path, over a fresh folder where it was out of reach; nothing of
# this is seen outside the namespace.
trees=() tree_fds=() tree_covers=()
can_enter() {
    setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups test -x "$1"
}
expose_trees() {
    local command=$1 path candidate kept covered prefix part
    local -a candidates=("$(dirname "$(dirname "$(dirname "$self")")")" "$PWD"
        "$(dirname "$(readlink -f "$(command -v "$command" || echo "$command")")")"
        "$(dirname "$(readlink -f "$pointer")")")
    for candidate in "${candidates[@]}"; do
        path=$(readlink -f "$candidate") || continue
        [ -d "$path" ] || continue
        covered=""
        for kept in "${trees[@]}"; do
            case $path/ in "$kept"/*) covered=1 ;; esac
        done
        [ -n "$covered" ] && continue
        # Where the user's reach ends on the way down: /tmp itself, or the first folder the user
        # may not enter. A tree the user reaches as it is needs nothing.
        covered="" prefix=""
        IFS=/ read -ra parts <<<"${path#/}"
        for part in "${parts[@]}"; do
            prefix=$prefix/$part
            if [ "$prefix" = /tmp ]; then covered=/tmp; break; fi
            if ! can_enter "$prefix"; then covered=$prefix; break; fi
        done
        [ -n "$covered" ] || continue
        [ "$covered" = "$path" ] && fail "$test_user may not enter $path"
        exec {fd}<"$path" || fail "cannot open $path"
        trees+=("$path") tree_fds+=("$fd") tree_covers+=("$covered")
    done
}
bind_trees_back() {
    local i cover
    local -a covered=(/tmp)
    for i in "${!trees[@]}"; do
        cover=${tree_covers[$i]}
        if [[ " ${covered[*]} " != *" $cover "* ]]; then
            mount -t tmpfs -o mode=755,size=1m quillan-reach "$cover" || fail "cannot cover $cover"
            covered+=("$cover")
        fi
        (umask 022 && mkdir -p "${trees[$i]}") || fail "cannot make ${trees[$i]}"
        # --no-canonicalize: the descriptor itself is the source, not the path it names, which now
        # lies under the fresh folder.
        mount --no-canonicalize --bind "/proc/self/fd/${tree_fds[$i]}" "${trees[$i]}" \
            || fail "cannot bind ${trees[$i]} back"
    done
}

case $stage in
outer)
    if [ "$(id -u)" -eq 0 ]; then
        if [ -n "$keep_log" ]; then
            mkdir -p "$keep_log" && chown "$test_user" "$keep_log" || fail "cannot make $keep_log"
        fi
        if unshare --mount --pid --fork --propagation private true 2>/dev/null; then
            # --kill-child: should whoever runs us kill us, the session's first process dies
            # with us, and the kernel takes the rest of the namespace with it.
            exec unshare --mount --pid --fork --mount-proc --propagation private --kill-child \
                env RUN_WAYLAND_STAGE=namespace "$self" "${args[@]}"
        fi
        echo "run-wayland: no namespaces here; the session shares /tmp" >&2
        exec setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups \
            env RUN_WAYLAND_STAGE=session RUN_WAYLAND_PRIVATE_TMP=0 "$self" "${args[@]}"
    fi
    exec setsid --wait env RUN_WAYLAND_STAGE=session RUN_WAYLAND_PRIVATE_TMP=0 "$self" "${args[@]}"
    ;;
namespace)
    expose_trees "$1"
    mount -t tmpfs -o mode=1777,size=512m quillan-tmp /tmp || fail "cannot mount a private /tmp"
    bind_trees_back
    exec setpriv --reuid="$test_user" --regid="$(id -g "$test_user")" --clear-groups \
        env RUN_WAYLAND_STAGE=session RUN_WAYLAND_PRIVATE_TMP=1 RUN_WAYLAND_PID_NAMESPACE=1 \
        "$self" "${args[@]}"
    ;;
session) ;;
*) fail "unknown stage $stage" ;;
esac

# --- The session, as an unprivileged user ---------------------------------------------------

runtime=$(mktemp -d "${TMPDIR:-/tmp}/wayland-session.XXXXXX") || fail "no runtime folder"
chmod 700 "$runtime"
mkdir -p "$runtime/home" "$runtime/log"
export XDG_RUNTIME_DIR=$runtime HOME=$runtime/home
export XDG_CONFIG_HOME=$HOME/.config XDG_CACHE_HOME=$HOME/.cache XDG_DATA_HOME=$HOME/.local/share
export XDG_SESSION_TYPE=wayland
export GDK_BACKEND=wayland QT_QPA_PLATFORM=wayland
# No accessibility bus: the gtk programs would start one for nothing.
export NO_AT_BRIDGE=1 GTK_A11Y=none
export RUN_WAYLAND_DESKTOP=$desktop RUN_WAYLAND_SIZE=$size RUN_WAYLAND_SCALE=$scale
export RUN_WAYLAND_SECOND_OUTPUT=$second
unset DISPLAY WAYLAND_DISPLAY SWAYSOCK DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS I3SOCK
log=$runtime/log

pids=()
teardown() {
    local status=$?
    trap - EXIT INT TERM
    # Newest first: the helpers before the bus and the compositor they talk to.
    local i
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill -TERM "${pids[i]}" 2>/dev/null; done
    for _ in $(seq 50); do
        local alive=0
        for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
        [ $alive -eq 0 ] && break
        sleep 0.1
    done
    for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null; done
    # Whatever the bus started on demand belongs to this session too.
    if [ -z "${RUN_WAYLAND_PID_NAMESPACE:-}" ]; then
        local sid
        sid=$(ps -o sid= -p $$ | tr -d ' ')
        for pid in $(pgrep -s "$sid"); do [ "$pid" != $$ ] && kill -TERM "$pid" 2>/dev/null; done
    fi
    # Quietly: a compositor may crash on its way out (GNOME Shell headless does), which says
    # nothing of the tests, and bash would report it.
    exec 2>/dev/null
    wait
    if [ -n "$keep_log" ]; then mkdir -p "$keep_log" && cp "$log"/* "$keep_log"/ 2>/dev/null; fi
    rm -rf "$runtime"
    exit "$status"
}
trap teardown EXIT
trap 'exit 143' INT TERM

# Waits for a condition (a command line, evaluated): five seconds, or $await_seconds.
await() {
    local what=$1
    shift
    for _ in $(seq $((${await_seconds:-5} * 20))); do
        eval "$@" && return 0
        sleep 0.05
    done
    echo "run-wayland: $what did not come up; its log:" >&2
    tail -n 20 "$log/$what.log" >&2 2>/dev/null
    exit 1
}

# Starts a program of the session in the background, its output in the log NAME; it ends with
# the session.
spawn() {
    local name=$1
    shift
    "$@" >"$log/$name.log" 2>&1 </dev/null &
    pids+=($!)
}

bus_has() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

start_session_bus() {
    spawn dbus dbus-daemon --session --nofork --nopidfile --address="unix:path=$runtime/bus"
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus"
    await dbus '[ -S "$runtime/bus" ]'
}

# A bus of the session's own where the desktop wants a system bus (its login-manager code gives
# up without one); nothing answers there, which is what a desktop without those services sees.
start_system_bus_stand_in() {
    spawn system-bus dbus-daemon --session --nofork --nopidfile \
        --address="unix:path=$runtime/system-bus"
    await system-bus '[ -S "$runtime/system-bus" ]'
    export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$runtime/system-bus"
}

# The portal backends the desktop uses, and no others: the portal looks only in a folder of the
# bed's own, which holds their .portal files. (xdg-desktop-portal 1.16 would otherwise take an
# interface the desktop's own backends lack from any backend installed, e.g. KDE's global
# shortcuts on another desktop.) Called before the session bus starts, so that whatever the bus
# starts on demand sees the folder too.
use_portal_backends() {
    mkdir -p "$runtime/portals"
    local name
    for name in "$@"; do
        cp "/usr/share/xdg-desktop-portal/portals/$name.portal" "$runtime/portals/" \
            || fail "no $name portal backend"
    done
    export XDG_DESKTOP_PORTAL_DIR=$runtime/portals
}

start_portal() {
    spawn portal /usr/libexec/xdg-desktop-portal
    await portal 'bus_has org.freedesktop.portal.Desktop'
}

# Tells the bus what the programs it starts on demand need to know of the desktop.
share_with_bus() {
    local pairs="" name
    for name in "$@"; do pairs+="'$name': '${!name}', "; done
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.UpdateActivationEnvironment "{${pairs%, }}" >/dev/null
}

# A cursor theme whose pointers are one transparent pixel. A headless compositor may draw the
# cursor into the picture itself, so screenshots (the compositor's and the portal's) would show
# it: the blank theme keeps the compositor's own cursor and the clients' themed ones out of every
# picture. A pointer image a client draws itself still shows where the cursor stands.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
blank_cursor() {
    # Xcursor file: header, one table entry, one 1x1 image chunk of nominal size 24.
    local image=0xfffd0002
    printf "Xcur$(le32 16)$(le32 0x10000)$(le32 1)$(le32 $image)$(le32 24)$(le32 28)"
    printf "$(le32 36)$(le32 $image)$(le32 24)$(le32 1)$(le32 1)$(le32 1)$(le32 0)$(le32 0)$(le32 0)$(le32 0)"
}
mkdir -p "$runtime/icons/blank/cursors"
blank_cursor >"$runtime/icons/blank/cursors/left_ptr"
for name in default arrow top_left_arrow pointer hand1 hand2 text xterm ibeam grab grabbing \
    openhand closedhand move fleur crosshair cross wait watch not-allowed; do
    ln -s left_ptr "$runtime/icons/blank/cursors/$name"
done
export XCURSOR_PATH=$runtime/icons XCURSOR_THEME=blank XCURSOR_SIZE=24

start_desktop

"$@"
