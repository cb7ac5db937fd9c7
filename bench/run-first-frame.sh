#!/usr/bin/env bash
# The first frame measured from outside the program (bench/bench_first_frame.cpp): from exec to
# the window mapped, to the window's own damage covering 90% of it, and to the screen showing the
# settled frame; beside gromit-mpx, the subjects alternating start by start. Each size and set-up
# on a fresh Xvfb: with no window manager ("none"), and under a compositing manager from Debian's
# packages ("picom", xrender backend, no effects; or "xcompmgr"), where the screen is the composited
# one. Builds nothing: BUILD_DIR must hold a build of the program (Release is what the figures are
# for). A second build of the program, given as BEFORE, takes part in the same alternation.
#   RUNS=7 bench/run-first-frame.sh BUILD_DIR [BEFORE_QUILLAN]
#   RUNS (starts of each program per size and set-up, default 7), SIZES (default
#   "1920x1080 3840x2160"), SETUPS (default "none picom"; also xcompmgr, openbox, openbox+picom,
#   and any of them with "+bus": a session bus on the display, as a desktop session has)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Inner mode, on the fresh display: the compositing manager runs while the command does.
if [ "${1:-}" = --under ]; then
    setup=$2
    shift 2
    # "+bus": a session bus of its own, as a desktop session has (without one, libdbus tries to
    # launch one for each program that asks).
    case $setup in
    *+bus)
        if [ -z "${RUN_FIRST_FRAME_BUS:-}" ]; then
            RUN_FIRST_FRAME_BUS=1 exec dbus-run-session -- "$0" --under "$setup" "$@"
        fi
        ;;
    esac
    managers=()
    # A window manager first, where the set-up has one (openbox+picom: a desktop as most are,
    # where the window manager maps the window, not the program).
    if [ "${setup%%+*}" = openbox ]; then
        openbox --sm-disable >/dev/null 2>&1 &
        managers+=($!)
        for _ in $(seq 100); do
            xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
            sleep 0.05
        done
    fi
    plain=${setup%+bus}
    case ${plain#openbox+} in
    none | openbox) ;;
    picom) picom --backend xrender --config /dev/null >/dev/null 2>&1 & managers+=($!) ;;
    xcompmgr) xcompmgr >/dev/null 2>&1 & managers+=($!) ;;
    *) echo "run-first-frame: unknown set-up $setup" >&2; exit 2 ;;
    esac
    status=0
    "$@" || status=$?
    for manager in "${managers[@]}"; do
        kill "$manager" 2>/dev/null
        wait "$manager" 2>/dev/null || true
    done
    exit "$status"
fi

build=${1:?usage: bench/run-first-frame.sh BUILD_DIR [BEFORE_QUILLAN]}
before=${2:-}
runs=${RUNS:-7}
sizes=${SIZES:-1920x1080 3840x2160}
setups=${SETUPS:-none picom}
e2e=$root/tests/e2e/run-e2e.sh

# shellcheck source=scripts/setup.sh
. "$root/scripts/setup.sh"
ensure_packages "${QUILLAN_BENCH_PACKAGES[@]}" >&2
case " $setups " in *xcompmgr*) ensure_packages xcompmgr >&2 ;; esac
case " $setups " in *+bus*) ensure_packages dbus-daemon >&2 ;; esac
case " $setups " in *openbox*) ensure_packages openbox x11-utils >&2 ;; esac

for tool in "$build/quillan" "$build/bench/bench_first_frame"; do
    [ -x "$tool" ] || { echo "run-first-frame: $tool is missing; build $build first" >&2; exit 1; }
done
subjects=("Vyn Quillane=$build/quillan")
[ -n "$before" ] && subjects+=("Vyn Quillane (before)=$before")
# The least an opaque window costs (no toolkit): what a compositing manager makes any opaque window
# wait for, beside gromit-mpx's transparent one.
floor=$build/bench/bench_floor_opaque_x11
floor_name="floor (opaque window, no toolkit)"
[ -x "$floor" ] && subjects+=("$floor_name=$floor")

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
load_before=$(uptime)
for setup in $setups; do
    for size in $sizes; do
        echo "run-first-frame: $size, $setup, $runs starts of each program ..." >&2
        "$e2e" none "$size" "$0" --under "$setup" \
            "$build/bench/bench_first_frame" "$runs" "$setup" "${subjects[@]}" \
            | grep '^ROW' >>"$rows"
    done
done
load_after=$(uptime)

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
    "$(. /etc/os-release && echo "$PRETTY_NAME"), Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | cut -d- -f1)," \
    "gromit-mpx $(dpkg-query -W -f='${Version}' gromit-mpx), picom $(dpkg-query -W -f='${Version}' picom 2>/dev/null)."
echo "Date: $(date -u +%Y-%m-%d). $runs starts of each program per size and set-up, alternating."
echo "Load before: ${load_before#*load average: }; after: ${load_after#*load average: }."
echo

# ROW fields: 2 screen, 3 set-up, 4 program, then median, fastest, slowest, unseen of 5-8 mapped,
# 9-12 damage covering 90%, 13-16 shown; 17 first damage (median), 18 late records, 19 starts;
# 20-23 from the map to the screen showing the settled frame (start by start).
awk -F'\t' -v floor="$floor_name" '
function ms(v) { return v < 0 ? "not seen" : sprintf("%.0f", v) }
function span(m, lo, hi, unseen, starts) {
    if (m < 0) return "not seen"
    s = sprintf("%s [%s–%s]", ms(m), ms(lo), ms(hi))
    if (unseen > 0) s = s sprintf(" (not seen in %d of %d)", unseen, starts)
    return s
}
function ratio(a, b) { return (a > 0 && b > 0) ? sprintf("%.2f", a / b) : "-" }
{
    n++; screen[n] = $2; setup[n] = $3; name[n] = $4
    mapped[n] = span($5, $6, $7, $8, $19); damage[n] = span($9, $10, $11, $12, $19)
    shown[n] = span($13, $14, $15, $16, $19); after[n] = span($20, $21, $22, $23, $19)
    aftermed[n] = $20
    # As a compositing manager sees it: with none running, the damage that tells it the window is
    # drawn; with one running, the composited screen showing the frame.
    if ($3 !~ /picom|xcompmgr/) { seen[n] = $9; slow[n] = $11 } else { seen[n] = $13; slow[n] = $15 }
    if ($4 == "gromit-mpx") peer[$2, $3] = seen[n]
    if ($4 == floor) opaque[$2, $3] = $20
    late[n] = $18
}
END {
    print "| screen | set-up | program | mapped | damage covers 90% | screen shows the settled frame | first full frame as a compositor sees it ÷ gromit-mpx (goal ≤ 1.0) | slowest ÷ median (goal ≤ 1.3) | map → screen shows it | that ÷ the opaque floor'"'"'s |"
    print "|---|---|---|---|---|---|---|---|---|---|"
    for (i = 1; i <= n; i++) {
        note = late[i] > 0 ? sprintf(" (damage not known in %d starts: the record came after the map)", late[i]) : ""
        printf "| %s | %s | %s%s | %s | %s | %s | %s | %s | %s | %s |\n", screen[i], setup[i], name[i], note,
            mapped[i], damage[i], shown[i], ratio(seen[i], peer[screen[i], setup[i]]),
            ratio(slow[i], seen[i]), after[i], ratio(aftermed[i], opaque[screen[i], setup[i]])
    }
    print ""
    print "Times in ms from exec, median [fastest–slowest]. \"As a compositor sees it\": with no"
    print "compositing manager, the damage covering 90% of the window; under one, the composited"
    print "screen showing the settled frame. \"Map → screen shows it\": start by start, from the"
    print "window'"'"'s map to the screen showing the settled frame; under a compositing manager, what it"
    print "makes a window wait for after the map (the opaque floor: any opaque window)."
}' "$rows"
