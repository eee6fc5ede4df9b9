#!/usr/bin/env bash
# hexpane's context menu and drops with the real pointer and keys, under Xvfb:
# a right click on a name and the Menu key open the menu; its replacement
# entry reads an image chosen in the real file dialog; an image dragged from
# another program onto the new pane replaces the picture; closing with the
# replacements unsaved asks first, and the menu undoes them. Every wait is for
# a state, with a deadline only a fault reaches.
#
# Usage: menu_test.sh PROGRAM DRAG_SOURCE
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 PROGRAM DRAG_SOURCE" >&2; exit 2; }
program=$(realpath "$1")
source_program=$(realpath "$2")
# shellcheck source=SCRIPTDIR/xsession.sh
source "$(dirname "$0")/xsession.sh"
[ -x "$program" ] || xs_die "no program at $program"
xs_begin

# A 46x46 picture (a size of the shipped table), old bytes black, new ones
# red (E0); images of it in green (1C) and blue (03).
python3 - "$XS_TMP" <<'PATCH'
import struct, sys, zlib
folder = sys.argv[1]
with open(folder + "/red.vkp", "wb") as out:
    out.write(b"##### Picture red\r\n; Picture Data\r\n1: " + b"00" * 2116 + b" " + b"E0" * 2116 + b"\r\n")
def bmp(path, rgb):
    row = bytes([rgb[2], rgb[1], rgb[0]]) * 46 + b"\0\0"
    pixels = row * 46
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, 46, 46, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as out:
        out.write(header + info + pixels)
bmp(folder + "/green.bmp", (0, 255, 0))
bmp(folder + "/blue.bmp", (0, 0, 255))
PATCH

# The new pane's drawing area starts at 79, 117 with the frame on (H + 70).
pane_x=$((79 + 20)) pane_y=$((117 + 20))
menu_visible() { xs_other_window "$1" "$2" >/dev/null; }
menu_gone() { ! menu_visible "$1" "$2"; }
# A right click on the first name, and the menu it opens; for a click the
# window may take only once it is ready.
right_click_menu() {
    xdotool mousemove --window "$2" 36 14 click 3
    xs_poll 2 menu_visible "$1" "$2"
}

xs_start hexpane "$XS_TMP" "$program" "$XS_TMP/red.vkp"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
xs_until 20 "the picture drawn after a click on its name" \
    xs_click_until_pixel "$window" 36 14 255,0,0 "$XS_TMP/shot" $pane_x $pane_y

xs_note "a right click on the name opens the menu; Esc closes it"
xs_until 20 "the menu after a right click on a name" right_click_menu "$pid" "$window"
xdotool key Escape
xs_until 20 "the menu closing on Esc" menu_gone "$pid" "$window"

xs_note "the Menu key opens it; Replace picture from image… reads the image chosen in the file dialog"
xdotool key Menu
xs_until 20 "the menu after the Menu key" menu_visible "$pid" "$window"
# Guessed sizes, then Replace picture from image…
xdotool key Down Down Return
xs_until 20 "a file dialog from the menu" menu_visible "$pid" "$window"
xs_choose_file "$pid" "$window" "$XS_TMP/green.bmp"
xs_until 20 "the new pane green after the replacement" xs_pixel_is 0,255,0 "$XS_TMP/shot" "$window" $pane_x $pane_y

xs_note "an image dragged from another program onto the new pane replaces the picture"
xs_start source "$XS_TMP" "$source_program" "$XS_TMP/blue.bmp"
source_window=$(xs_wait_window "$XS_PID" "drag source" 20)
read -r wx wy < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 } END { print x, y }')
xdotool mousemove --window "$source_window" 50 50 mousedown 1
for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove $((50 + (wx + pane_x - 50) * step / 8)) $((50 + (wy + pane_y - 50) * step / 8))
    sleep 0.1
done
xdotool mousemove $((wx + pane_x + 1)) $((wy + pane_y))
sleep 0.3
xdotool mouseup 1
xs_until 20 "the new pane blue after the drop" xs_pixel_is 0,0,255 "$XS_TMP/shot" "$window" $pane_x $pane_y

xs_note "closing with the replacements unsaved asks; the menu undoes both; then it closes"
xs_close "$window"
box=$(xs_wait_other "$pid" "$window" hexpane 20)
xdotool windowfocus --sync "$box" 2>/dev/null || true
xdotool key Escape
xs_until 20 "the question closing on Esc" xs_gone "$pid" "$box"
kill -0 "$pid" || xs_die "the window closed although the question was cancelled"
for colour in 0,255,0 255,0,0; do
    xs_until 20 "the menu for Undo replacement" right_click_menu "$pid" "$window"
    xdotool key Down Down Down Return
    xs_until 20 "the new pane $colour after Undo replacement" xs_pixel_is "$colour" "$XS_TMP/shot" "$window" $pane_x $pane_y
done
xs_close "$window"
xs_wait_exit "$pid" 10

xs_note PASS
