#!/usr/bin/env bash
# The program beside the floors and the two Debian peers, at 1920 x 1080 and 3840 x 2160, each
# size on a fresh Xvfb with no window manager; prints the tables of bench/RESULTS.md's comparison.
# Builds nothing: BUILD_DIR must hold a build of the program (Release is what the figures are for).
# The peers are installed by scripts/setup.sh's QUILLAN_BENCH_PACKAGES (see below).
#   bench/run-peers.sh BUILD_DIR
#   RUNS (starts of each program per size, default 5), IDLE (seconds left alone, default 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:?usage: bench/run-peers.sh BUILD_DIR}
runs=${RUNS:-5}
idle=${IDLE:-5}
e2e=$root/tests/e2e/run-e2e.sh

# shellcheck source=scripts/setup.sh
. "$root/scripts/setup.sh"
ensure_packages "${QUILLAN_BENCH_PACKAGES[@]}" >&2

for tool in "$build/quillan" "$build/bench/bench_peers" "$build/bench/bench_floor_snapshot" \
    "$build/bench/bench_floor_stroke"; do
    [ -x "$tool" ] || { echo "run-peers: $tool is missing; build $build first" >&2; exit 1; }
done

rows=$(mktemp)
trap 'rm -f "$rows"' EXIT
load_before=$(uptime)
for size in 1920x1080 3840x2160; do
    echo "run-peers: $size, $runs starts of each program ..." >&2
    "$e2e" none "$size" "$build/bench/bench_peers" "$build/quillan" \
        "$build/bench/bench_floor_snapshot" "$build/bench/bench_floor_stroke" "$runs" "$idle" \
        | grep '^ROW' >>"$rows"
done
load_after=$(uptime)

echo "Machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2 / 1048576}' /proc/meminfo)," \
    "$(. /etc/os-release && echo "$PRETTY_NAME"), Qt $(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null | cut -d- -f1)," \
    "gromit-mpx $(dpkg-query -W -f='${Version}' gromit-mpx), flameshot $(dpkg-query -W -f='${Version}' flameshot)."
echo "Date: $(date -u +%Y-%m-%d). Median of $runs starts of each program per size, alternating."
echo "Load before: ${load_before#*load average: }; after: ${load_after#*load average: }."
echo

# ROW fields: 2 screen, 3 program, 4 frame ms, 5 mapped ms, 6 start kB, 7 after kB, 8 stroke ms,
# 9 idle ms, 10 stroke points on screen, 11 starts whose frame was not seen, 12 starts.
awk -F'\t' -v idle="$idle" '
function ratio(a, b) { return (a > 0 && b > 0) ? sprintf("%.2f", a / b) : "-" }
function mb(kb) { return sprintf("%.1f MB", kb / 1024) }
function ms(v) { return v < 0 ? "not seen" : sprintf("%.0f ms", v) }
function role(name) {
    if (name ~ /^Vyn/) return "prog"
    if (name ~ /^floor/) return "floor"
    if (name ~ /^stroke floor/) return "sfloor"
    if (name ~ /^gromit/) return "gromit"
    if (name ~ /^flameshot/) return "flame"
    return name
}
{
    n++; screen[n] = $2; name[n] = $3; r = role($3)
    frame[$2, r] = $4; mapped[$2, r] = $5; start[$2, r] = $6; after[$2, r] = $7
    stroke[$2, r] = $8; idlecpu[$2, r] = $9
    row[n] = r; f[n] = $4; mp[n] = $5; st[n] = $6; af[n] = $7; sk[n] = $8; id[n] = $9
    cover[n] = $10; unseen[n] = $11; starts[n] = $12
}
END {
    print "### Start-up to the first full frame"
    print ""
    print "| screen | program | first full frame | window mapped | ÷ floor | ÷ gromit-mpx (goal ≤ 1.0) | ÷ flameshot |"
    print "|---|---|---|---|---|---|---|"
    for (i = 1; i <= n; i++) {
        s = screen[i]
        note = unseen[i] > 0 ? sprintf(" (not seen in %d of %d starts)", unseen[i], starts[i]) : ""
        printf "| %s | %s | %s%s | %s | %s | %s | %s |\n", s, name[i], ms(f[i]), note, ms(mp[i]),
            ratio(f[i], frame[s, "floor"]), ratio(f[i], frame[s, "gromit"]), ratio(f[i], frame[s, "flame"])
    }
    print ""
    print "### Peak memory of the process tree (VmHWM)"
    print ""
    print "| screen | program | at start | after two strokes | after − floor (goal ≤ +10 MB at 3840 x 2160) | ÷ gromit-mpx | ÷ flameshot |"
    print "|---|---|---|---|---|---|---|"
    for (i = 1; i <= n; i++) {
        s = screen[i]
        printf "| %s | %s | %s | %s | %+.1f MB | %s | %s |\n", s, name[i], mb(st[i]), mb(af[i]),
            (af[i] - start[s, "floor"]) / 1024, ratio(af[i], after[s, "gromit"]), ratio(af[i], after[s, "flame"])
    }
    print ""
    print "### CPU of a stroke and left alone"
    print ""
    printf "| screen | program | stroke CPU | ÷ stroke floor | ÷ gromit-mpx | ÷ flameshot | stroke points on the screen | idle CPU over %d s |\n", idle
    print "|---|---|---|---|---|---|---|---|"
    for (i = 1; i <= n; i++) {
        s = screen[i]
        printf "| %s | %s | %s | %s | %s | %s | %s | %.1f ms |\n", s, name[i], ms(sk[i]),
            ratio(sk[i], stroke[s, "sfloor"]), ratio(sk[i], stroke[s, "gromit"]),
            ratio(sk[i], stroke[s, "flame"]), cover[i], id[i]
    }
    print ""
    print "### The goals"
    print ""
    print "| screen | first frame ÷ gromit-mpx (goal ≤ 1.0) | memory after strokes − floor (goal ≤ +10 MB at 3840 x 2160) |"
    print "|---|---|---|"
    for (i = 1; i <= n; i++) {
        if (row[i] != "prog") continue
        s = screen[i]
        g = frame[s, "gromit"]
        if (f[i] > 0 && g > 0)
            fr = sprintf("%.2f: %s", f[i] / g, f[i] <= g ? "met" : sprintf("missed by %.0f ms", f[i] - g))
        else
            fr = "not measured"
        d = (af[i] - start[s, "floor"]) / 1024
        if (s ~ /^3840/)
            mem = sprintf("%+.1f MB: %s", d, d <= 10 ? "met" : sprintf("missed by %.1f MB", d - 10))
        else
            mem = sprintf("%+.1f MB (the goal is set at 3840 x 2160)", d)
        printf "| %s | %s | %s |\n", s, fr, mem
    }
}' "$rows"
