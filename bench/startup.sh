#!/usr/bin/env bash
# Start-up time of hexpane: from launch until its window is mapped, under a
# private Xvfb, as the median of several runs. A minimal Qt Widgets window is
# timed the same way in the same run, so the figure can be read against what
# Qt itself costs on this machine.
#
# Usage: bench/startup.sh [BUILD_DIR] [RUNS]   (default: build, 7)
# Needs hexpane and minimal_window built (configure with -DHEXPANE_BENCH=ON).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "${1:-$here/../build/bench}")
runs=${2:-7}
program=$build/src/hexpane
baseline=$build/bench/minimal_window
# shellcheck source=SCRIPTDIR/../tests/real/xsession.sh
source "$here/../tests/real/xsession.sh"
[ -x "$program" ] || xs_die "no program at $program: build the target hexpane"
[ -x "$baseline" ] || xs_die "no baseline at $baseline: configure with -DHEXPANE_BENCH=ON and build minimal_window"
[[ $runs =~ ^[1-9][0-9]*$ ]] || xs_die "RUNS must be a positive whole number"
xs_begin

# time_once TITLE PROGRAM: milliseconds from launch to map, one run.
time_once() {
    (cd "$XS_TMP" && python3 "$XS_HERE/xwin.py" time-map "$1" 20 "$2") 2>>"$XS_TMP/programs.log" ||
        xs_die "timing $2 failed: $(tail -n 3 "$XS_TMP/programs.log")"
}

median() {
    sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) m = v[(NR + 1) / 2]; else m = (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.0f", m }'
}

# One untimed start of each fills the file cache; then the two alternate, so
# anything else the machine does falls on both alike.
time_once hexpane "$program" >/dev/null
time_once baseline "$baseline" >/dev/null
: >"$XS_TMP/hexpane.ms"
: >"$XS_TMP/baseline.ms"
for ((run = 1; run <= runs; run++)); do
    time_once hexpane "$program" >>"$XS_TMP/hexpane.ms"
    time_once baseline "$baseline" >>"$XS_TMP/baseline.ms"
done

echo "runs (ms): hexpane $(tr '\n' ' ' <"$XS_TMP/hexpane.ms")| minimal Qt window $(tr '\n' ' ' <"$XS_TMP/baseline.ms")"
echo "start-up: hexpane $(median <"$XS_TMP/hexpane.ms") ms (minimal Qt window $(median <"$XS_TMP/baseline.ms") ms), median of $runs runs"
