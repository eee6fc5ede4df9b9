#!/usr/bin/env bash
# Sets up, builds and runs hexpane on Debian 12.
#   ./build.sh run [PATCH]  install what is missing, build, start hexpane on PATCH (examples/sample.vkp)
#   ./build.sh test    install what is missing, build, run every test
#   ./build.sh bench   install what is missing, build, run the benchmarks
set -euo pipefail
# A patch named for `run` is found from where the command was given.
if [ "${1:-}" = run ] && [ -n "${2:-}" ]; then patch=$(realpath -- "$2"); fi
cd "$(dirname "$0")"

RUN_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-qpa-plugins fonts-dejavu-core libpng-dev libxxhash-dev dpkg-dev qt6-l10n-tools)
TEST_PACKAGES=("${RUN_PACKAGES[@]}" libgtest-dev libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy
               xvfb xdotool x11-utils imagemagick desktop-file-utils dpkg-dev file python3
               shared-mime-info libglib2.0-bin appstream appstream-compose bash-completion lintian mandoc)
# The size guesser's evaluation set: icons, game sprites and tiles, wallpapers and
# photographs, fonts, and what Qt needs to read them (SVG, WebP).
BENCH_PACKAGES=(qt6-svg-dev qt6-image-formats-plugins adwaita-icon-theme oxygen-icon-theme tango-icon-theme
                hicolor-icon-theme pingus-data frozen-bubble-data freeciv-data desktop-base gnome-backgrounds
                mate-backgrounds fonts-dejavu-core fonts-liberation fonts-noto-core)

need() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return
    if [ "$(id -u)" -ne 0 ]; then
        echo "hexpane needs these Debian packages; install them with:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Each configuration is a preset of CMakePresets.json: run, test, sanitize, bench, fuzz.
configure_and_build() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1"
}

case "${1:-}" in
run)
    need "${RUN_PACKAGES[@]}"
    configure_and_build run
    exec build/run/src/hexpane -- "${patch:-examples/sample.vkp}"
    ;;
test)
    need "${TEST_PACKAGES[@]}"
    configure_and_build test
    scripts/lint.sh build/test
    ctest --preset test
    # Every test again with AddressSanitizer and UndefinedBehaviorSanitizer
    # (but those that check the normal build's files: the package, a plain compiler line).
    configure_and_build sanitize
    ctest --preset sanitize
    # Every parser fuzzed for a while; a crash fails the run and leaves its input in the log.
    configure_and_build fuzz
    fuzz/run.sh "${HEXPANE_FUZZ_SECONDS:-30}" build/fuzz
    ;;
bench)
    need "${TEST_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    configure_and_build bench
    build/bench/bench/patch_reader_bench
    build/bench/bench/render_bench
    QT_QPA_PLATFORM=offscreen build/bench/bench/window_bench
    QT_QPA_PLATFORM=offscreen build/bench/bench/open_bench
    QT_QPA_PLATFORM=offscreen build/bench/bench/window_save_bench
    bench/startup.sh build/bench
    build/bench/bench/export_bench
    build/bench/bench/import_bench
    QT_QPA_PLATFORM=offscreen build/bench/bench/size_guess_bench
    build/bench/bench/import_image_bench
    ;;
*)
    echo "usage: $0 run|test|bench" >&2
    exit 2
    ;;
esac
