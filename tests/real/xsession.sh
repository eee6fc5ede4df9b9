# shellcheck shell=bash
# X session helpers for driving hexpane's real window: a private Xvfb server,
# programs started in it, their windows, screenshots and a clean close.
# Sourced by the tests here, scripts/screenshot.sh and bench/startup.sh, which
# run with `set -euo pipefail`, as root or not, with no window manager.
#
# Needs: Xvfb (xvfb), xdotool, xwininfo (x11-utils), import and convert
# (imagemagick), python3.

XS_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
XS_NAME=$(basename "$0")
XS_TMP=
XS_XVFB_PID=
XS_PIDS=()

xs_die() {
    echo "$XS_NAME: FAIL: $*" >&2
    exit 1
}

xs_note() {
    echo "$XS_NAME: $*" >&2
}

xs_require() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || xs_die "'$tool' is not installed"
    done
}

# Stops every program started here, then the server, and removes the scratch
# folder. Runs on any exit once xs_begin has set it up.
xs_end() {
    local pid
    for pid in "${XS_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    if [ -n "$XS_XVFB_PID" ]; then
        kill "$XS_XVFB_PID" 2>/dev/null || true
        wait "$XS_XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$XS_TMP" ] && [ -z "${XS_KEEP:-}" ]; then
        rm -rf "$XS_TMP"
    fi
}

# Starts a private Xvfb on a display number the server picks itself, and
# points DISPLAY at it. Sets XS_TMP, a scratch folder removed on exit.
xs_begin() {
    xs_require Xvfb xdotool xwininfo import convert python3
    XS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/hexpane-x.XXXXXX")
    trap xs_end EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM

    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$XS_TMP/display" 2>"$XS_TMP/xvfb.log" &
    XS_XVFB_PID=$!
    local tries=0
    until [ -s "$XS_TMP/display" ]; do
        kill -0 "$XS_XVFB_PID" 2>/dev/null || xs_die "Xvfb did not start: $(tail -n 3 "$XS_TMP/xvfb.log")"
        tries=$((tries + 1))
        [ "$tries" -le 100 ] || xs_die "Xvfb gave no display number within 10 s"
        sleep 0.1
    done
    DISPLAY=":$(head -n 1 "$XS_TMP/display")"
    export DISPLAY

    # The window must come up on this server through X11, whatever the caller's
    # desktop or test settings say.
    export QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE XDG_CURRENT_DESKTOP
    export XDG_RUNTIME_DIR="$XS_TMP/runtime"
    mkdir -m 700 "$XDG_RUNTIME_DIR"
}

# xs_start NAME DIR PROGRAM [ARGS...]: starts PROGRAM with DIR as its current
# directory and its output in $XS_TMP/NAME.log; sets XS_PID.
xs_start() {
    local name=$1 dir=$2
    shift 2
    (cd "$dir" && exec "$@") </dev/null >"$XS_TMP/$name.log" 2>&1 &
    XS_PID=$!
    XS_PIDS+=("$XS_PID")
}

# Prints the ids of the visible top-level windows of process PID titled
# exactly TITLE, one a line; nothing when there are none.
xs_windows() {
    local pid=$1 title=$2
    xdotool search --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null || true
}

# xs_wait_window PID TITLE SECONDS: prints the first such window once mapped.
xs_wait_window() {
    local pid=$1 title=$2 seconds=$3 ids
    ids=$(timeout "$seconds" xdotool search --sync --all --onlyvisible --pid "$pid" --name "^${title}\$" 2>/dev/null) ||
        xs_die "no window titled '$title' mapped within $seconds s (program output: $(xs_log_of "$pid"))"
    head -n 1 <<<"$ids"
}

xs_log_of() {
    local pid=$1 log
    kill -0 "$pid" 2>/dev/null || echo -n "[the program has ended] "
    for log in "$XS_TMP"/*.log; do
        [ "$log" = "$XS_TMP/xvfb.log" ] || tail -n 5 "$log"
    done | tr '\n' ' '
}

# Prints WIDTHxHEIGHT of a window's client area (no window manager, so the
# X window is the client area itself).
xs_size() {
    xwininfo -id "$1" | awk '/^ +Width:/ { w = $2 } /^ +Height:/ { h = $2 } END { print w "x" h }'
}

# xs_shot WINDOW FILE: the window's pixels as they are on screen.
xs_shot() {
    import -window "$1" "$2" || xs_die "could not capture window $1"
}

# xs_pixel FILE X Y: the colour of one pixel, as r,g,b.
xs_pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# xs_colours FILE X Y W H: the distinct colours of a rectangle, one a line.
xs_colours() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 -unique-colors txt:- |
        awk 'NR > 1 { print $3 }'
}

# xs_click WINDOW X Y: a left click at a point of the window's client area.
xs_click() {
    xdotool mousemove --window "$1" "$2" "$3" click 1
}

# xs_close WINDOW: asks the window to close, as its close box would.
xs_close() {
    python3 "$XS_HERE/xwin.py" close "$1"
}

# xs_wait_exit PID SECONDS: waits for the program to end and fails unless it
# ends within SECONDS with status 0.
xs_wait_exit() {
    local pid=$1 seconds=$2 status=0
    xs_until "$seconds" "the program ending after its window closed" xs_ended "$pid"
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || xs_die "the program ended with status $status (output: $(xs_log_of "$pid"))"
}

xs_ended() { ! kill -0 "$1" 2>/dev/null; }

# xs_poll SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds (status 0) or SECONDS have passed (status 1).
xs_poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# xs_until SECONDS WHAT COMMAND...: xs_poll, failing the test with WHAT.
xs_until() {
    local seconds=$1 what=$2
    shift 2
    xs_poll "$seconds" "$@" || xs_die "$what: not within $seconds s"
}

# xs_other_window PID WINDOW: prints a visible window of PID other than WINDOW
# (a dialog or message box: their titles are the toolkit's business, so they
# are found by elimination); fails when there is none.
xs_other_window() {
    xdotool search --onlyvisible --pid "$1" 2>/dev/null | grep -vx "$2" | head -n 1 | grep .
}

# xs_gone PID WINDOW: succeeds once WINDOW of PID is no longer visible.
xs_gone() {
    ! xdotool search --onlyvisible --pid "$1" 2>/dev/null | grep -qx "$2"
}

# xs_colours_at_least N FILE_PREFIX WINDOW X Y W H: takes a fresh shot of
# WINDOW and succeeds when the rectangle shows at least N distinct colours.
xs_colours_at_least() {
    local n=$1 shot=$2.png window=$3
    import -window "$window" "$shot" 2>/dev/null || return 1
    [ "$(xs_colours "$shot" "$4" "$5" "$6" "$7" | wc -l)" -ge "$n" ]
}

# xs_region FILE X Y W H: a digest of a rectangle's pixels.
xs_region() {
    convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 rgb:- | md5sum | cut -d' ' -f1
}

# xs_region_differs DIGEST FILE_PREFIX WINDOW X Y W H: a fresh shot of WINDOW
# shows the rectangle otherwise than DIGEST (from xs_region) says.
xs_region_differs() {
    local digest=$1 shot=$2.png
    import -window "$3" "$shot" 2>/dev/null || return 1
    [ "$(xs_region "$shot" "$4" "$5" "$6" "$7")" != "$digest" ]
}

# xs_pixel_is COLOUR FILE_PREFIX WINDOW X Y: a fresh shot of WINDOW shows
# COLOUR (r,g,b) at X, Y.
xs_pixel_is() {
    local shot=$2.png
    import -window "$3" "$shot" 2>/dev/null || return 1
    [ "$(xs_pixel "$shot" "$4" "$5")" = "$1" ]
}

# xs_click_until_pixel WINDOW X Y COLOUR FILE_PREFIX PX PY: clicks X, Y and
# succeeds once a fresh shot shows COLOUR (r,g,b) at PX, PY; for a click that
# the program may take only once it is ready.
xs_click_until_pixel() {
    xs_click "$1" "$2" "$3"
    xs_poll 2 xs_pixel_is "$4" "$5" "$1" "$6" "$7"
}

# xs_open_patch PID WINDOW FILE: opens a patch file as a user would: a click on
# the open button, the full path typed into the file dialog, Return.
xs_open_patch() {
    local pid=$1 window=$2 file=$3
    xs_click "$window" $((78 + 54)) $((348 + 12))
    xs_until 20 "a file dialog after a click on the open button" xs_other_window "$pid" "$window" >/dev/null
    xs_choose_file "$pid" "$window" "$file"
}

# xs_choose_file PID WINDOW FILE: in the file dialog the window has open, the
# full path typed, Return.
xs_choose_file() {
    local pid=$1 window=$2 file=$3 dialog attempt
    dialog=$(xs_other_window "$pid" "$window")
    # The dialog takes typing only once it has listed its folder and given its
    # name box the focus, which nothing on the X side shows; so the path is
    # typed, over whatever the box holds, until the dialog closes.
    for attempt in 1 2 3 4 5; do
        xdotool windowfocus --sync "$dialog" 2>/dev/null || true
        xdotool key ctrl+a
        xdotool type --delay 20 "$file"
        xdotool key Return
        xs_poll 5 xs_gone "$pid" "$dialog" && return
        # a completion list that popped up while typing takes the first Return
        xdotool key Return
        xs_poll 5 xs_gone "$pid" "$dialog" && return
    done
    xs_die "the file dialog did not close after $attempt tries to choose $file"
}

# xs_expect_alone PID WINDOW SECONDS: fails if the program shows any other
# window (a warning box, say) besides WINDOW within SECONDS.
xs_expect_alone() {
    local pid=$1 window=$2 seconds=$3 tenths=0 others
    while [ "$tenths" -lt $((seconds * 10)) ]; do
        others=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | grep -vx "$window" || true)
        [ -z "$others" ] || xs_die "an unexpected window appeared: $(xdotool getwindowname "$(head -n 1 <<<"$others")") ($(xs_size "$(head -n 1 <<<"$others")"))"
        tenths=$((tenths + 1))
        sleep 0.1
    done
}

# xs_wait_other PID WINDOW TITLE SECONDS: prints the first window titled TITLE
# other than WINDOW, once the program has shown one.
xs_wait_other() {
    xs_until "$4" "a second window titled '$3'" xs_titled_other "$1" "$2" "$3" >/dev/null
    xs_titled_other "$1" "$2" "$3"
}

xs_titled_other() {
    xs_windows "$1" "$3" | grep -vx "$2" | head -n 1 | grep .
}
