#!/usr/bin/env bash
# hexpane's real window under Xvfb: its size, its first state on screen, a
# patch opened through the real file dialog, a large pane that leaves the open
# button within reach, a clean close that leaves no file under the user's
# folders, the tables found beside the program whatever the current
# directory, the new pane's save icon clicked with the real pointer at the
# sizes whose icon lies in the lower column, and a patch named on the command
# line, also one named like a toolkit option. Every wait is for a state, with a deadline only a fault reaches.
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

xs_note "started from a folder without tables, tables beside the program, an empty home"
elsewhere="$XS_TMP/elsewhere"
home="$XS_TMP/home"
mkdir "$elsewhere" "$home"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_CACHE_HOME=$home/.cache XDG_DATA_HOME=$home/.local/share \
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
list="8 8 57 12"  # the first row of the list
# shellcheck disable=SC2086
listed=$(xs_region "$XS_TMP/start.png" $list)
xs_open_patch "$pid" "$window" "$sample"
# shellcheck disable=SC2086
xs_until 20 "the names of the pictures in the list" xs_region_differs "$listed" "$XS_TMP/list" "$window" $list
xs_click "$window" 36 14
xs_until 20 "a drawing in the pane area after selecting a picture" \
    xs_colours_at_least 4 "$XS_TMP/drawn" "$window" $right_x $right_y $right_w $right_h
# the sample's first picture is 46x46 and opaque in its middle
centre=$(xs_pixel "$XS_TMP/drawn.png" $((79 + 23)) $((43 + 23)))
[ "$centre" != "$background" ] || xs_die "the middle of the first pane shows the window colour"
xs_expect_alone "$pid" "$window" 1

xs_note "a 132x176 picture, whose new pane runs under the lower column"
python3 - "$XS_TMP/large.vkp" <<'PATCH'
import sys
with open(sys.argv[1], "wb") as out:
    out.write(b"; Picture Data\r\n1: " + b"E0" * (132 * 176) + b"\r\n")
PATCH
xs_shot "$window" "$XS_TMP/before.png"
# shellcheck disable=SC2086
listed=$(xs_region "$XS_TMP/before.png" $list)
xs_open_patch "$pid" "$window" "$XS_TMP/large.vkp"
# shellcheck disable=SC2086
xs_until 20 "the name of the large picture in the list" xs_region_differs "$listed" "$XS_TMP/list" "$window" $list
xs_click "$window" 36 14
# E0 is pure red; the pane shows right of the lower column, from y = 247 down
xs_until 20 "the large picture drawn" xs_pixel_is 255,0,0 "$XS_TMP/large" "$window" 190 300
xs_click "$window" $((78 + 54)) $((348 + 12))
xs_until 20 "a file dialog after a click on the open button over the pane" xs_other_window "$pid" "$window" >/dev/null
dialog=$(xs_other_window "$pid" "$window")
xs_close "$dialog"
xs_until 20 "the cancelled dialog closing" xs_gone "$pid" "$dialog"

xs_close "$window"
xs_wait_exit "$pid" 10
xs_note "closed cleanly with status 0"

# The system's font library may keep its cache there; hexpane writes nothing.
written=$(find "$home" -mindepth 1 ! -path "$home/.cache" ! -path "$home/.cache/fontconfig*" -printf '%P ')
[ -z "$written" ] || xs_die "the program wrote under the home folder: $written"
xs_note "nothing written under the home, config, cache or data folders"

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

xs_note "the new pane's save icon, clicked with the pointer, at sizes whose icon lies low"
# A copy of the program with a size table of these sizes alone; each patch
# is named on the command line.
sized="$XS_TMP/sized"
mkdir "$sized"
cp "$program" "$(dirname "$program")/map.txt" "$sized/"
sizes=("132 176" "176 208" "176 220" "240 320" "16 300")
for size in "${sizes[@]}"; do
    printf '%s,%s\r\n' $size
done >"$sized/size.txt"
for size in "${sizes[@]}"; do
    read -r w h <<<"$size"
    patch="$XS_TMP/${w}x$h.vkp"
    python3 - "$patch" "$w" "$h" <<'PATCH'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "wb") as out:
    out.write(b"; Picture Data\r\n1: " + b"E0" * (w * h) + b" " + b"E0" * (w * h) + b"\r\n")
PATCH
    xs_start "sized-${w}x$h" "$XS_TMP" "$sized/$(basename "$program")" "$patch"
    pid=$XS_PID
    window=$(xs_wait_window "$pid" hexpane 20)
    # the list fills once the window shows; a click on its first row draws
    xs_until 20 "${w}x$h: the picture drawn after a click on the name the command line listed" \
        xs_click_until_pixel "$window" 36 14 255,0,0 "$XS_TMP/sized" 80 44
    # the icon's top is H + 55 with the frame on; the window ends at y = 378
    y=$((h + 55 + 5))
    [ "$y" -le 377 ] || y=377
    xs_click "$window" 83 "$y"
    xs_wait_other "$pid" "$window" "Save As" 20 >/dev/null
    dialog=$(xs_titled_other "$pid" "$window" "Save As")
    xs_note "${w}x$h: a click at 83,$y opened the save dialog"
    xs_close "$dialog"
    xs_until 20 "${w}x$h: the save dialog closing" xs_gone "$pid" "$dialog"
    xs_close "$window"
    xs_wait_exit "$pid" 10
done

xs_note "a file named like a toolkit option, after --, opens as any file does"
cp "$XS_TMP/132x176.vkp" "$XS_TMP/-reverse"
xs_start reverse "$XS_TMP" "$sized/$(basename "$program")" -- -reverse
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
xs_until 20 "-reverse: the picture drawn after a click on the name the command line listed" \
    xs_click_until_pixel "$window" 36 14 255,0,0 "$XS_TMP/reverse" 80 44
xs_close "$window"
xs_wait_exit "$pid" 10

xs_note "two files on the command line: a message box, and the window as at start"
xs_start two "$XS_TMP" "$program" "$XS_TMP/132x176.vkp" "$XS_TMP/16x300.vkp"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
box=$(xs_wait_other "$pid" "$window" hexpane 10)
[ "$(xs_size "$box")" != 193x379 ] || xs_die "the second window looks like another main window, not a message box"
xs_close "$box"
xs_close "$window"
xs_wait_exit "$pid" 10

xs_note PASS
