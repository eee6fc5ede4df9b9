#!/usr/bin/env bash
# hexpane's real window under Xvfb: its size, its first state on screen, a
# patch opened through the real file dialog, a clean close, and the tables
# found beside the program whatever the current directory.
#
# Usage: window_test.sh PROGRAM SAMPLE_PATCH
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM SAMPLE_PATCH" >&2; exit 2; }
program=$(realpath "$1")
sample=$(realpath "$2")
# shellcheck source=SCRIPTDIR/xsession.sh
source "$(dirname "$0")/xsession.sh"
[ -x "$program" ] || xs_die "no program at $program"
[ -f "$sample" ] || xs_die "no sample patch at $sample"
for table in map.txt size.txt; do
    [ -f "$(dirname "$program")/$table" ] || xs_die "$table is not beside $program"
done
xs_begin

# The areas the panes, their captions and save icons and the size label take
# once a picture is drawn; at start they show nothing but the window colour.
right_x=72 right_y=2 right_w=121 right_h=238

xs_note "started from a folder without tables, tables beside the program"
elsewhere="$XS_TMP/elsewhere"
mkdir "$elsewhere"
xs_start hexpane "$elsewhere" "$program"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
size=$(xs_size "$window")
[ "$size" = 193x379 ] || xs_die "client area is $size, not 193x379"
xs_expect_alone "$pid" "$window" 2

xs_shot "$window" "$XS_TMP/start.png"
background=$(xs_pixel "$XS_TMP/start.png" 150 150)
for point in "100 200" "185 20" "10 376"; do
    # shellcheck disable=SC2086
    colour=$(xs_pixel "$XS_TMP/start.png" $point)
    [ "$colour" = "$background" ] || xs_die "empty spots of the window differ in colour: $background at 150,150, $colour at $point"
done
colours=$(xs_colours "$XS_TMP/start.png" $right_x $right_y $right_w $right_h)
[ "$(wc -l <<<"$colours")" -eq 1 ] ||
    xs_die "something is drawn where the panes go at start: colours ${colours//$'\n'/ }"
xs_note "start state ok: 193x379, nothing but the window colour ($background) right of the list"

xs_note "opening $sample through the file dialog and selecting its first picture"
xs_open_patch "$pid" "$window" "$sample"
xs_click "$window" 36 14
sleep 0.5
xs_shot "$window" "$XS_TMP/drawn.png"
colours=$(xs_colours "$XS_TMP/drawn.png" $right_x $right_y $right_w $right_h)
[ "$(wc -l <<<"$colours")" -ge 4 ] ||
    xs_die "after selecting a picture the pane area still shows only ${colours//$'\n'/ }"
# the sample's first picture is 46x46 and opaque in its middle
centre=$(xs_pixel "$XS_TMP/drawn.png" $((79 + 23)) $((43 + 23)))
[ "$centre" != "$background" ] || xs_die "the middle of the first pane shows the window colour"
xs_expect_alone "$pid" "$window" 1

xs_close "$window"
xs_wait_exit "$pid" 10
xs_note "closed cleanly with status 0"

xs_note "a copy without tables, started from a folder that has them"
bare="$XS_TMP/bare"
mkdir "$bare" "$XS_TMP/tables"
cp "$program" "$bare/"
cp "$(dirname "$program")/map.txt" "$(dirname "$program")/size.txt" "$XS_TMP/tables/"
xs_start bare "$XS_TMP/tables" "$bare/$(basename "$program")"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
box=$(xs_wait_other "$pid" "$window" hexpane 10)
[ "$(xs_size "$box")" != 193x379 ] || xs_die "the second window looks like another main window, not a message box"
xs_note "the missing tables were reported in a message box ($(xs_size "$box"))"
xs_close "$box"
xs_close "$window"
xs_wait_exit "$pid" 10

xs_note PASS
