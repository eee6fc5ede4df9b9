#!/usr/bin/env bash
# The installed program: `cmake --install` into a scratch prefix and the
# Debian package from cpack, unpacked into a scratch root. Both must hold the
# program with its two tables in one folder, the command on the PATH, a valid
# desktop entry and the icon; the packaged command must start from another
# directory with no warning box, and the package must declare the Qt 6
# libraries it needs. hexpane-export (and hexpane-import, when built) must sit
# beside the window's program with its command and gzipped manual page, and
# the exporter run from the package with no display. Both trees hold the
# desktop's files (file type, thumbnailer, AppStream, completions), the
# licence and the changelog, and lintian finds no error in the package, nor a
# program built without Debian's hardening; AppStream's composer makes the
# catalog entry, with its icon, from the unpacked package.
#
# Usage: package_test.sh BUILD_DIR SOURCE_DIR   (run after the build)
# CMAKE and CPACK may name the tools to use (default: those on the PATH).
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 BUILD_DIR SOURCE_DIR" >&2; exit 2; }
build=$(realpath "$1")
source_dir=$(realpath "$2")
# shellcheck source=SCRIPTDIR/xsession.sh
source "$(dirname "$0")/xsession.sh"
cmake=${CMAKE:-cmake}
cpack=${CPACK:-cpack}
xs_require "$cmake" "$cpack" dpkg-deb dpkg-shlibdeps desktop-file-validate identify lintian appstreamcli
[ -f "$build/CPackConfig.cmake" ] || xs_die "no CPackConfig.cmake in $build: configure the project first"
xs_begin

# check_tree PREFIX: the installed files under PREFIX (e.g. .../usr).
check_tree() {
    local prefix=$1 app=$1/libexec/hexpane table
    if [ ! -f "$app/hexpane" ] || [ ! -x "$app/hexpane" ]; then
        xs_die "no program at $app/hexpane"
    fi
    for table in map.txt size.txt; do
        cmp -s "$app/$table" "$source_dir/data/$table" || xs_die "$app/$table is missing or differs from data/$table"
    done
    [ -L "$prefix/bin/hexpane" ] || xs_die "$prefix/bin/hexpane is not a link"
    [ "$(readlink -f "$prefix/bin/hexpane")" = "$(readlink -f "$app/hexpane")" ] ||
        xs_die "$prefix/bin/hexpane points to $(readlink "$prefix/bin/hexpane"), not the program"
    case $(readlink "$prefix/bin/hexpane") in
        /*) xs_die "$prefix/bin/hexpane is an absolute link, which breaks once the tree moves" ;;
    esac

    local command manual commands=(hexpane hexpane-export)
    [ -x "$app/hexpane-export" ] || xs_die "no program at $app/hexpane-export"
    [ ! -e "$app/hexpane-import" ] || commands+=(hexpane-import)
    for command in "${commands[@]}"; do
        [ -x "$app/$command" ] || xs_die "no program at $app/$command"
        [ "$(readlink "$prefix/bin/$command")" = "../libexec/hexpane/$command" ] ||
            xs_die "$prefix/bin/$command is not a relative link to $app/$command"
        [ "$command" = hexpane ] ||
            cmp -s "$prefix/share/bash-completion/completions/$command" "$build/packaging/completion.bash" ||
            xs_die "no bash completion installed for $command"
        # hexpane-import's page comes with it; the others are here already
        [ -f "$source_dir/packaging/$command.1" ] || [ "$command" = hexpane-import ] ||
            xs_die "packaging/$command.1 is missing"
        [ -f "$source_dir/packaging/$command.1" ] || continue
        manual=$prefix/share/man/man1/$command.1.gz
        gzip -t "$manual" 2>/dev/null || xs_die "no gzipped manual page at $manual"
        zcat "$manual" | cmp -s - "$source_dir/packaging/$command.1" || xs_die "$manual differs from packaging/$command.1"
    done
    [ -e "$app/hexpane-import" ] || [ ! -e "$prefix/share/bash-completion/completions/hexpane-import" ] ||
        xs_die "a completion is installed for hexpane-import, which is not"
    local file
    for file in mime/packages/hexpane.xml thumbnailers/hexpane.thumbnailer metainfo/org.hexpane.hexpane.metainfo.xml; do
        cmp -s "$prefix/share/$file" "$source_dir/packaging/${file##*/}" || xs_die "$prefix/share/$file is missing or differs"
    done
    grep -qx 'License: MIT' "$prefix/share/doc/hexpane/copyright" 2>/dev/null ||
        xs_die "no copyright file naming the licence at $prefix/share/doc/hexpane/copyright"
    gzip -t "$prefix/share/doc/hexpane/changelog.gz" 2>/dev/null || xs_die "no gzipped changelog in $prefix/share/doc/hexpane"

    local desktop=$prefix/share/applications/hexpane.desktop report
    [ -f "$desktop" ] || xs_die "no desktop entry at $desktop"
    report=$(desktop-file-validate "$desktop" 2>&1) || xs_die "desktop entry is not valid: $report"
    [ -z "$report" ] || xs_die "desktop-file-validate has remarks: $report"
    grep -qx 'Exec=hexpane %f' "$desktop" || xs_die "the desktop entry does not run 'hexpane %f'"
    grep -qx 'Icon=hexpane' "$desktop" || xs_die "the desktop entry does not name the icon hexpane"

    local icon side
    for side in 32 64 128; do
        icon=$prefix/share/icons/hicolor/${side}x$side/apps/hexpane.png
        [ "$(identify -format '%m %wx%h' "$icon" 2>/dev/null)" = "PNG ${side}x$side" ] ||
            xs_die "no ${side}x$side PNG icon at $icon"
    done
}

xs_note "cmake --install into a scratch prefix"
"$cmake" --install "$build" --prefix "$XS_TMP/prefix" >"$XS_TMP/install.log" 2>&1 ||
    xs_die "cmake --install failed: $(tail -n 5 "$XS_TMP/install.log")"
check_tree "$XS_TMP/prefix"

xs_note "cpack -G DEB"
"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$XS_TMP/deb" >"$XS_TMP/cpack.log" 2>&1 ||
    xs_die "cpack failed: $(tail -n 5 "$XS_TMP/cpack.log")"
debs=("$XS_TMP"/deb/hexpane_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    xs_die "cpack made no single hexpane .deb: $(ls "$XS_TMP/deb")"
fi
deb=${debs[0]}

[ "$(dpkg-deb -f "$deb" Package)" = hexpane ] || xs_die "the package is not named hexpane"
[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || xs_die "the package has no maintainer"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins fonts-dejavu-core; do
    grep -qE "(^|, )$library( |,|$)" <<<"$depends" || xs_die "Depends lacks $library: $depends"
done
if command -v apt-get >/dev/null; then
    # the declared dependencies resolve against this system's package lists
    apt-get install --simulate --no-install-recommends "$deb" >"$XS_TMP/apt.log" 2>&1 ||
        xs_die "apt cannot satisfy the package's dependencies: $(tail -n 5 "$XS_TMP/apt.log")"
fi

dpkg-deb -x "$deb" "$XS_TMP/root"
check_tree "$XS_TMP/root/usr"
share='applications|icons|man/man1|mime/packages|thumbnailers|metainfo|bash-completion/completions|doc/hexpane'
unexpected=$(find "$XS_TMP/root" ! -type d -printf '/%P\n' | grep -vE "^/usr/(bin|libexec/hexpane|share/($share))/" || true)
[ -z "$unexpected" ] || xs_die "the package holds unexpected files: $unexpected"

xs_note "lintian"
# lintian runs as root only when told it may; its hardening tags are informational
lintian --allow-root -I --pedantic --fail-on error "$deb" >"$XS_TMP/lintian.log" 2>&1 ||
    xs_die "lintian finds errors in the package: $(grep -v '^[IPX]: ' "$XS_TMP/lintian.log" | head -n 20)"
! grep -q ' hardening-' "$XS_TMP/lintian.log" ||
    xs_die "lintian finds programs built without hardening: $(grep ' hardening-' "$XS_TMP/lintian.log")"

xs_note "AppStream's composer, as software catalogs are made"
appstreamcli compose --no-net --origin=hexpane --result-root="$XS_TMP/catalog" "$XS_TMP/root" \
    >"$XS_TMP/compose.log" 2>&1 || xs_die "appstreamcli compose failed: $(tail -n 8 "$XS_TMP/compose.log")"
catalog=$(zcat "$XS_TMP/catalog/usr/share/swcatalog/xml/hexpane.xml.gz")
grep -q '<id>org.hexpane.hexpane</id>' <<<"$catalog" || xs_die "the catalog holds no hexpane component"
for side in 64 128; do
    grep -q "<icon type=\"cached\" width=\"$side\" height=\"$side\">" <<<"$catalog" &&
        [ -f "$XS_TMP/catalog/usr/share/swcatalog/icons/hexpane/${side}x$side/org.hexpane.hexpane.png" ] ||
        xs_die "the catalog has no ${side}x$side icon"
done

xs_note "the packaged command, started from another directory"
mkdir "$XS_TMP/elsewhere"
xs_start installed "$XS_TMP/elsewhere" "$XS_TMP/root/usr/bin/hexpane"
pid=$XS_PID
window=$(xs_wait_window "$pid" hexpane 20)
[ "$(xs_size "$window")" = 193x379 ] || xs_die "the installed program's window is $(xs_size "$window")"
xs_expect_alone "$pid" "$window" 2
xs_close "$window"
xs_wait_exit "$pid" 10

xs_note "the packaged exporter, from another directory, with no display"
(cd "$XS_TMP/elsewhere" && env -u DISPLAY -u QT_QPA_PLATFORM "$XS_TMP/root/usr/bin/hexpane-export" \
    -o out "$source_dir/examples/sample.vkp" && env -u DISPLAY -u QT_QPA_PLATFORM \
    "$XS_TMP/root/usr/bin/hexpane-export" --sheet sheet.png "$source_dir/examples/sample.vkp") \
    >"$XS_TMP/export.log" 2>&1 || xs_die "the packaged exporter failed: $(tail -n 5 "$XS_TMP/export.log")"
[ "$(find "$XS_TMP/elsewhere/out/sample" -name '*.bmp' | wc -l)" = 6 ] || xs_die "the packaged exporter wrote no six bitmaps"
[ "$(identify -format '%m' "$XS_TMP/elsewhere/sheet.png" 2>/dev/null)" = PNG ] || xs_die "the packaged exporter drew no sheet"

xs_note "PASS: $(basename "$deb"), Depends: $depends"
