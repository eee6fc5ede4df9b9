#!/usr/bin/env bash
# Regenerates docs/screenshot.png for the README: hexpane under a private Xvfb,
# examples/sample.vkp opened through the real file dialog, its first picture
# selected, and the program's window captured.
#
# Usage: scripts/screenshot.sh [BUILD_DIR] [OUTPUT]   (default: build, docs/screenshot.png)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/test}")/src/hexpane
output=${2:-$root/docs/screenshot.png}
sample=$root/examples/sample.vkp
# shellcheck source=SCRIPTDIR/../tests/real/xsession.sh
source "$root/tests/real/xsession.sh"
[ -x "$program" ] || xs_die "no program at $program: build the target hexpane first"
[ -f "$sample" ] || xs_die "no $sample: run examples/make_sample.py"
xs_begin

xs_start hexpane "$XS_TMP" "$program"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
xs_expect_alone "$pid" "$window" 1
xs_open_patch "$pid" "$window" "$sample"
xs_click "$window" 36 14
# the selection is drawn at once; this leaves the list's highlight and the
# pointer's hover effects time to settle
xdotool mousemove --window "$window" 150 200
sleep 1
mkdir -p "$(dirname "$output")"
xs_shot "$window" "$XS_TMP/shot.png"
# a smaller file, the same pixels
convert "$XS_TMP/shot.png" -strip -define png:compression-level=9 "$output"
xs_close "$window"
xs_wait_exit "$pid" 10
xs_note "wrote $output ($(identify -format '%wx%h' "$output"))"
