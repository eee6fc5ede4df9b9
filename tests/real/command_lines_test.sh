#!/usr/bin/env bash
# What each command-line program says of its options is echoed in its shell
# completion and its manual page: every long option of --help, every value of
# --transparent, every "N to M" limit (in the manual page).
#   command_lines_test.sh COMPLETION PROGRAM MANUAL [PROGRAM MANUAL]...
set -euo pipefail
completion=$1
shift
failed=0
miss() { echo "$1" >&2; failed=1; }

while [ $# -gt 0 ]; do
    program=$1 manual=$2
    shift 2
    name=$(basename "$program")
    help=$("$program" --help)
    # The manual page writes a dash as \- and switches fonts with \fB, \fI, \fR.
    page=$(sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' "$manual")
    options=$(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u)
    [ -n "$options" ] || miss "$name: --help lists no long option"
    for option in $options; do
        grep -qF -- "$option" "$completion" || miss "$name: $option is in --help but not in the completion"
        grep -qF -- "$option" <<<"$page" || miss "$name: $option is in --help but not in $(basename "$manual")"
    done
    values=$(grep -oE -- '--transparent <[a-z|]+>' <<<"$help" | sed -E 's/.*<(.*)>/\1/' | tr '|' ' ')
    for value in $values; do
        grep -qE -- "\b$value\b" "$completion" || miss "$name: --transparent $value is not in the completion"
        grep -qE -- "\b$value\b" <<<"$page" || miss "$name: --transparent $value is not in $(basename "$manual")"
    done
    while read -r range; do
        [ -z "$range" ] || grep -qF -- "$range" <<<"$page" || miss "$name: --help gives \"$range\", $(basename "$manual") does not"
    done < <(grep -oE '[0-9]+ to [0-9]+' <<<"$help" | sort -u)
done
exit $failed
