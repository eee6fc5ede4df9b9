#!/usr/bin/env bash
# The installed tree on a desktop: `cmake --install` into a scratch prefix,
# whose share/ is then the only place the desktop's tools are pointed at (with
# /usr/share for the system's own types and programs). A .vkp file gets the
# type the MIME package declares and opens in hexpane; the thumbnailer's
# command, filled in as a file manager fills it, draws the first picture
# within the size asked for, and fails with no file for a patch with nothing
# to draw, and writes an OUT made first and held open in place, so that the
# descriptor held reads the thumbnail; the AppStream file is valid and names the same type as the
# thumbnailer; bash-completion finds the completions, and they offer each
# option's values and the files each place wants.
#
# Usage: desktop_test.sh BUILD_DIR SOURCE_DIR   (run after the build)
# CMAKE may name the cmake to use (default: the one on the PATH).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR SOURCE_DIR" >&2; exit 2; }
build=$(realpath "$1")
source_dir=$(realpath "$2")
# Only the general helpers are used: no X server is started.
# shellcheck source=SCRIPTDIR/xsession.sh
source "$(dirname "$0")/xsession.sh"
cmake=${CMAKE:-cmake}
completion_library=/usr/share/bash-completion/bash_completion
xs_require "$cmake" update-mime-database update-desktop-database gio appstreamcli identify convert python3
[ -f "$completion_library" ] || xs_die "bash-completion is not installed ($completion_library)"
XS_TMP=$(mktemp -d "${TMPDIR:-/tmp}/hexpane-desktop.XXXXXX")
trap xs_end EXIT

prefix=$XS_TMP/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$XS_TMP/install.log" 2>&1 ||
    xs_die "cmake --install failed: $(tail -n 5 "$XS_TMP/install.log")"
mkdir "$XS_TMP/files" "$XS_TMP/home"
# The desktop's view of the scratch tree: no user's own settings, the
# installed commands first on the PATH.
desktop() {
    env PATH="$prefix/bin:$PATH" XDG_DATA_HOME="$XS_TMP/home" XDG_CONFIG_HOME="$XS_TMP/home" \
        XDG_DATA_DIRS="${DATA_DIRS:-$prefix/share:/usr/share}" GIO_USE_VFS=local LC_ALL=C.UTF-8 "$@"
}

xs_note "the type of .vkp files, and the program that opens them"
type=$(sed -n 's/^ *<mime-type type="\([^"]*\)".*/\1/p' "$prefix/share/mime/packages/hexpane.xml")
[ -n "$type" ] || xs_die "no type declared in share/mime/packages/hexpane.xml"
{ update-mime-database "$prefix/share/mime" && update-desktop-database "$prefix/share/applications"; } \
    >"$XS_TMP/update.log" 2>&1 || xs_die "could not build the scratch tree's caches: $(tail -n 5 "$XS_TMP/update.log")"
printf '; a patch with no picture\n' >"$XS_TMP/files/empty.vkp"
type_of() { desktop gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'; }
[ "$(type_of "$XS_TMP/files/empty.vkp")" = "$type" ] ||
    xs_die "a .vkp file is $(type_of "$XS_TMP/files/empty.vkp"), not $type"
# the query reads the scratch database, not one installed elsewhere
[ "$(DATA_DIRS=/usr/share type_of "$XS_TMP/files/empty.vkp")" != "$type" ] ||
    xs_die "a .vkp file is $type even without the scratch tree: the test would prove nothing"
[ "$(desktop gio mime "$type" | sed -n '1s/.*: //p')" = hexpane.desktop ] ||
    xs_die "$type does not open in hexpane: $(desktop gio mime "$type" | tr '\n' ' ')"
grep -qx 'Exec=hexpane %f' "$prefix/share/applications/hexpane.desktop" ||
    xs_die "the desktop entry does not pass the file to hexpane"

xs_note "AppStream, and the same type named everywhere"
report=$(appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml 2>&1) ||
    xs_die "the AppStream file is not valid: $report"
grep -qx "MimeType=$type;" "$prefix/share/thumbnailers/hexpane.thumbnailer" || xs_die "the thumbnailer is not for $type"
grep -q "<mediatype>$type</mediatype>" "$prefix"/share/metainfo/*.metainfo.xml || xs_die "AppStream does not provide $type"

xs_note "the thumbnailer, run as a file manager runs it"
thumbnailer=$prefix/share/thumbnailers/hexpane.thumbnailer
command_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
try=$(sed -n 's/^TryExec=//p' "$thumbnailer")
[ -z "$try" ] || (PATH="$prefix/bin:$PATH" command -v "$try" >/dev/null) || xs_die "TryExec=$try is not an installed command"
# thumbnail SIZE INPUT OUTPUT: the Exec line split into words at spaces, each
# field replaced: %s the size, %i the input's path, %u its URI, %o the output,
# %% a percent sign. Sets status to the command's exit status.
thumbnail() {
    local size=$1 input=$2 output=$3 word i field filled uri
    uri=$(python3 -c 'import pathlib, sys; print(pathlib.Path(sys.argv[1]).as_uri())' "$input")
    local -a argv=()
    read -r -a words <<<"$command_line"
    for word in "${words[@]}"; do
        filled=
        for ((i = 0; i < ${#word}; i++)); do
            if [ "${word:i:1}" != % ]; then
                filled+=${word:i:1}
                continue
            fi
            i=$((i + 1))
            field=${word:i:1}
            case $field in
            s) filled+=$size ;;
            i) filled+=$input ;;
            u) filled+=$uri ;;
            o) filled+=$output ;;
            %) filled+=% ;;
            *) xs_die "the thumbnailer's Exec line has an unknown field %$field" ;;
            esac
        done
        argv+=("$filled")
    done
    (cd "$XS_TMP/files" && desktop env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${argv[@]}") \
        >"$XS_TMP/thumbnail.log" 2>&1 && status=0 || status=$?
}
# distinct colours of an image, one a line, sorted
colours() { convert "$1" -alpha off -depth 8 -unique-colors txt:- | awk 'NR > 1 { print $3 }' | sort -u; }

cp "$source_dir/examples/sample.vkp" "$XS_TMP/files/a sample.vkp"
desktop hexpane-export --format png -o "$XS_TMP/reference" "$XS_TMP/files/a sample.vkp" >"$XS_TMP/export.log" 2>&1 ||
    xs_die "hexpane-export failed on the sample: $(tail -n 3 "$XS_TMP/export.log")"
first_old=$(find "$XS_TMP/reference" -name '000-*-old.png')
first_new=$(find "$XS_TMP/reference" -name '000-*-new.png')
[ -f "$first_old" ] && [ -f "$first_new" ] || xs_die "hexpane-export wrote no first picture"
picture_size=$(identify -format '%w %h' "$first_new")
# 128 holds the first picture whole; 32 is smaller than it
for size in 128 32; do
    output="$XS_TMP/files/thumbnail $size.png"
    thumbnail "$size" "$XS_TMP/files/a sample.vkp" "$output"
    [ "$status" -eq 0 ] || xs_die "the thumbnailer ended with status $status at size $size: $(tail -n 3 "$XS_TMP/thumbnail.log")"
    image=$(identify -format '%m %w %h' "$output" 2>/dev/null) || xs_die "the thumbnailer wrote no image at size $size"
    read -r format width height <<<"$image"
    [ "$format" = PNG ] || xs_die "the thumbnail at size $size is $format, not PNG"
    if [ "$width" -gt "$size" ] || [ "$height" -gt "$size" ] || [ "$width" -lt 1 ] || [ "$height" -lt 1 ]; then
        xs_die "the thumbnail at size $size is ${width}x$height"
    fi
done
read -r picture_width picture_height <<<"$picture_size"
[ "$picture_width" -le 128 ] && [ "$picture_height" -le 128 ] || xs_die "the sample's first picture no longer fits 128"
colours "$XS_TMP/files/thumbnail 128.png" >"$XS_TMP/thumbnail.colours"
missing_old=$(colours "$first_old" | comm -23 - "$XS_TMP/thumbnail.colours")
missing_new=$(colours "$first_new" | comm -23 - "$XS_TMP/thumbnail.colours")
[ -z "$missing_old" ] || [ -z "$missing_new" ] ||
    xs_die "the thumbnail lacks colours of the first picture: $(tr '\n' ' ' <<<"$missing_new")"

# 40 pixels, a count no line of the size table has: drawn at its best guess
printf '##### Picture guessed\n; Picture Data\n00000000: %s\n' "$(printf 'E0%.0s' {1..20})$(printf '03%.0s' {1..20})" \
    >"$XS_TMP/files/guessed size.vkp"
thumbnail 128 "$XS_TMP/files/guessed size.vkp" "$XS_TMP/files/guessed.png"
[ "$status" -eq 0 ] && [ -s "$XS_TMP/files/guessed.png" ] ||
    xs_die "the thumbnailer drew no picture of a guessed size (status $status): $(tail -n 3 "$XS_TMP/thumbnail.log")"

printf '##### Picture odd\n; Picture Data\n00000000: 0A0B0C 0A0B0C\n' >"$XS_TMP/files/no size.vkp"
for patch in "no size.vkp" empty.vkp; do
    thumbnail 128 "$XS_TMP/files/$patch" "$XS_TMP/files/$patch.png"
    [ "$status" -eq 1 ] || xs_die "the thumbnailer ended with status $status for '$patch', not 1"
    [ ! -e "$XS_TMP/files/$patch.png" ] || xs_die "the thumbnailer left a file for '$patch'"
done

xs_note "the thumbnailer's output made first and held open, as thumbnail services do"
# made KIND PATH: what a service (or something else) left at OUT before the run
made() {
    case $1 in
    held) : >"$2" ;;
    link) printf 'kept' >"$XS_TMP/files/target" && ln -s target "$2" ;;
    fifo) mkfifo "$2" ;;
    patch) cp "$source_dir/examples/sample.vkp" "$2" ;;
    esac
}
# kind | status | what is then read through the descriptor held, or found at OUT
while IFS='|' read -r kind expected reads; do
    output="$XS_TMP/files/out-$kind.png"
    made "$kind" "$output"
    exec 9<>"$output"  # held open from before the run to after it, read and write as services hold it
    input="$XS_TMP/files/a sample.vkp"
    [ "$kind" != patch ] || input=$output
    thumbnail 128 "$input" "$output"
    [ "$status" -eq "$expected" ] || xs_die "$kind OUT: status $status, not $expected: $(tail -n 3 "$XS_TMP/thumbnail.log")"
    case $reads in
    png)
        cat <&9 >"$XS_TMP/read.png"
        [ "$(identify -format %m "$XS_TMP/read.png" 2>/dev/null)" = PNG ] ||
            xs_die "$kind OUT: the descriptor held reads no PNG ($(stat -c %s "$XS_TMP/read.png") bytes)"
        ;;
    kept) [ -L "$output" ] && [ "$(cat "$XS_TMP/files/target")" = kept ] || xs_die "$kind OUT was not left as it was" ;;
    fifo) [ -p "$output" ] || xs_die "$kind OUT was not left as it was" ;;
    patch) cmp -s "$output" "$source_dir/examples/sample.vkp" || xs_die "the patch itself as OUT was written over" ;;
    esac
    exec 9<&-
done <<'EOF'
held|0|png
link|1|kept
fifo|1|fifo
patch|1|patch
EOF

xs_note "bash completion"
completions=$prefix/share/bash-completion/completions
mkdir "$XS_TMP/completion" "$XS_TMP/completion/sub"
touch "$XS_TMP/completion/"{a.vkp,b.png,c.bmp,d.txt}
# complete WORD...: what bash-completion offers for the last word, sorted, on
# one line. The file completes both commands; it is loaded as bash-completion
# loads it for hexpane-export, and must come from the scratch tree.
complete_words() {
    (cd "$XS_TMP/completion" && desktop BASH_COMPLETION_USER_DIR="$XS_TMP/home" bash --norc --noprofile -c '
        source "$0"
        __load_completion hexpane-export || { echo "bash-completion found no completion"; exit; }
        shopt -s extdebug
        declare -F _hexpane_export | grep -q " $1/hexpane-export\$" || { echo "not loaded from $1"; exit; }
        shift
        registered=$(complete -p "$1") || exit
        function=${registered#*-F }
        function=${function%% *}
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        COMP_LINE="$*"
        COMP_POINT=${#COMP_LINE}
        COMPREPLY=()
        "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}" | sort | paste -sd " "
    ' "$completion_library" "$completions" "$@")
}
# offers expected | the words typed, the last being completed; ^ stands for
# an empty word, where the cursor follows a space
while IFS='|' read -r expected line; do
    read -r -a words <<<"$line"
    [ "${words[-1]}" != ^ ] || words[-1]=
    got=$(complete_words "${words[@]}")
    [ "$got" = "$expected" ] || xs_die "'$line' completes to '$got', not '$expected'"
done <<'EOF'
form phone standard|hexpane-export --transparent ^
phone|hexpane-export --transparent ph
bmp png|hexpane-export a.vkp --format ^
sub|hexpane-export -o ^
a.vkp sub|hexpane-export --list ^
--thumbnail|hexpane-export --thu
--guess-sizes|hexpane-export --gu
b.png c.bmp sub|hexpane-export --sheet ^
form phone standard|hexpane-import --transparent ^
a.vkp sub|hexpane-import --map d.txt ^
b.png c.bmp sub|hexpane-import --size d.txt a.vkp ^
a.vkp sub|hexpane-import a.vkp b.png -o ^
--dry-run|hexpane-import a.vkp --dr
EOF

xs_note "PASS"
